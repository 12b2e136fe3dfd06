// What decoding an image in its own process costs: the same 1024 x 1024 PNG and JPEG decoded
// in this process (DecodeHere) and through the decoder process (DecodeIsolated, as every
// texture is read); the difference is the price of the isolation.
#include "mesh/decoder/decode_bytes.h"
#include "mesh/image_decode.h"

#include <IL/il.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A 1024 x 1024 picture with detail everywhere, saved once per format under /tmp.
std::string pictureFile(const std::string& extension) {
    const std::string path = "/tmp/hollowvista-bench-decode." + extension;
    static bool initialised = false;
    if (!initialised) {
        ilInit();
        initialised = true;
    }
    std::vector<unsigned char> rgba(1024 * 1024 * 4);
    for (std::size_t i = 0; i < rgba.size(); ++i)
        rgba[i] = static_cast<unsigned char>((i * 2654435761u) >> 13);
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ilTexImage(1024, 1024, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, rgba.data());
    ilEnable(IL_FILE_OVERWRITE);
    ilSaveImage(path.c_str());
    ilDeleteImages(1, &image);
    return path;
}

void DecodeHere(benchmark::State& state, const std::string& extension) {
    const std::string path = pictureFile(extension);
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    const std::string data = bytes.str();
    for (auto _ : state) {
        DecodedImage image = decodeImageBytes(reinterpret_cast<const unsigned char*>(data.data()),
                                              data.size(), extension, 0, true);
        benchmark::DoNotOptimize(image.rgba.data());
        if (image.width != 1024)
            state.SkipWithError("no picture");
    }
}

void DecodeIsolated(benchmark::State& state, const std::string& extension) {
    const std::string path = pictureFile(extension);
    for (auto _ : state) {
        DecodedImage image = decodeImageFile(path);
        benchmark::DoNotOptimize(image.rgba.data());
        if (image.width != 1024)
            state.SkipWithError(image.error.c_str());
    }
}

} // namespace

BENCHMARK_CAPTURE(DecodeHere, png, std::string("png"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeIsolated, png, std::string("png"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeHere, jpg, std::string("jpg"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeIsolated, jpg, std::string("jpg"))->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
