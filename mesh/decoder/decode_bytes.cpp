#include "mesh/decoder/decode_bytes.h"

#include "mesh/decoder/format_decoders.h"
#include "mesh/decoder/image_header.h"

#include <IL/il.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <string>

#define STBI_NO_STDIO
#define STBI_NO_PNG
#define STBI_NO_JPEG
#define STBI_NO_PNM
#define STBI_NO_HDR
#define STBI_NO_PIC
#define STBI_NO_PSD
#define STBI_NO_LINEAR
#define STBI_MAX_DIMENSIONS 16384
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace {

DecodedImage failure(std::string why, bool tooLarge = false, long long width = 0,
                     long long height = 0) {
    DecodedImage image;
    image.error = std::move(why);
    image.tooLarge = tooLarge;
    // A picture refused for its size still tells it, for the console line.
    if (tooLarge) {
        image.width = static_cast<int>(std::min<long long>(width, INT_MAX));
        image.height = static_cast<int>(std::min<long long>(height, INT_MAX));
    }
    return image;
}

bool exceeds(long long width, long long height, int maxSide) {
    return (maxSide > 0 && (width > maxSide || height > maxSide)) ||
           width * height > kMaxDecodedPixels;
}

// Copies width x height RGBA rows given top row first into image, bottom row first.
void takeTopDown(DecodedImage& image, const unsigned char* rows, int width, int height) {
    const std::size_t rowBytes = std::size_t(width) * 4;
    image.width = width;
    image.height = height;
    image.rgba.resize(rowBytes * std::size_t(height));
    for (int y = 0; y < height; ++y)
        std::memcpy(image.rgba.data() + rowBytes * std::size_t(height - 1 - y),
                    rows + rowBytes * std::size_t(y), rowBytes);
}

// Reads the next PNM sample from pos: a decimal number, or (bitmap digits) one 0 or 1 digit;
// whitespace and "#" comments between samples are skipped. False when none is left.
bool nextSample(const unsigned char* data, std::size_t size, std::size_t& pos, bool bitDigit,
                long long& value) {
    while (pos < size && (std::isspace(data[pos]) || data[pos] == '#')) {
        if (data[pos] == '#')
            while (pos < size && data[pos] != '\n')
                ++pos;
        else
            ++pos;
    }
    if (pos >= size || !std::isdigit(data[pos]))
        return false;
    value = 0;
    do
        value = std::min(value * 10 + (data[pos++] - '0'), 1LL << 20);
    while (!bitDigit && pos < size && std::isdigit(data[pos]));
    return true;
}

// Every PNM layout: text (P1, P2, P3) and binary (P4, P5, P6, samples of one byte, or two
// high byte first when the largest value passes 255), scaled to 0..255; a bitmap's 1 black.
DecodedImage decodePnm(const unsigned char* data, std::size_t size, const ImageHeader& header) {
    const int kind = data[1] - '0';
    const bool bitmap = kind == 1 || kind == 4, colour = kind == 3 || kind == 6;
    std::size_t pos = 2;
    long long number = 0, maxValue = 1;
    nextSample(data, size, pos, false, number); // the width and height the header judge read
    nextSample(data, size, pos, false, number);
    if (!bitmap && !nextSample(data, size, pos, false, maxValue))
        return failure("malformed header");
    const int width = static_cast<int>(header.width), height = static_cast<int>(header.height);
    std::vector<unsigned char> rows(std::size_t(width) * std::size_t(height) * 4, 255);
    const std::size_t bitsStart = pos + 1; // after the one whitespace byte before them
    const std::size_t sampleBytes = maxValue > 255 ? 2 : 1;
    for (std::size_t i = 0; i < std::size_t(width) * std::size_t(height); ++i) {
        unsigned char* texel = &rows[i * 4];
        if (kind == 4) {
            const std::size_t x = i % std::size_t(width), y = i / std::size_t(width);
            const std::size_t byte = bitsStart + y * ((std::size_t(width) + 7) / 8) + x / 8;
            if (byte >= size)
                return failure("truncated");
            const bool black = (data[byte] >> (7 - x % 8)) & 1;
            texel[0] = texel[1] = texel[2] = black ? 0 : 255;
            continue;
        }
        for (int c = 0; c < (colour ? 3 : 1); ++c) {
            long long sample = 0;
            if (kind >= 5) {
                const std::size_t at = bitsStart + (i * (colour ? 3 : 1) + c) * sampleBytes;
                if (at + sampleBytes > size)
                    return failure("truncated");
                sample = sampleBytes == 2 ? data[at] << 8 | data[at + 1] : data[at];
            } else if (!nextSample(data, size, pos, bitmap, sample)) {
                return failure("truncated");
            }
            const long long level =
                bitmap ? (sample ? 0 : 255) : std::min(sample, maxValue) * 255 / maxValue;
            texel[c] = static_cast<unsigned char>(level);
        }
        if (!colour)
            texel[1] = texel[2] = texel[0];
    }
    // Text ends with a separator after its last sample: a file that stops right after a digit
    // may have been cut inside that number.
    if (kind <= 3 && pos >= size)
        return failure("truncated");
    DecodedImage image;
    takeTopDown(image, rows.data(), width, height);
    return image;
}

DecodedImage decodeBuiltIn(const unsigned char* data, std::size_t size, const ImageHeader& header) {
    if (header.format == ImageFormat::Pnm)
        return decodePnm(data, size, header);
    if (header.format == ImageFormat::Png || header.format == ImageFormat::Jpeg) {
        DecodedImage image;
        const int width = static_cast<int>(header.width), height = static_cast<int>(header.height);
        const std::string why = header.format == ImageFormat::Png
                                    ? decodePng(data, size, width, height, image.rgba)
                                    : decodeJpeg(data, size, width, height, image.rgba);
        if (!why.empty())
            return failure(why);
        image.width = width;
        image.height = height;
        return image;
    }
    int width = 0, height = 0, channels = 0;
    stbi_uc* rows =
        stbi_load_from_memory(data, static_cast<int>(size), &width, &height, &channels, 4);
    if (!rows)
        return failure(std::string("refused (") + stbi_failure_reason() + ")");
    DecodedImage image;
    if (width == header.width && height == header.height)
        takeTopDown(image, rows, width, height);
    else
        image = failure("malformed header");
    stbi_image_free(rows);
    return image;
}

DecodedImage decodeWithDevil(const unsigned char* data, std::size_t size,
                             std::string_view extension, int maxSide) {
    static const bool initialised = (ilInit(), true); // only when a picture needs DevIL
    (void)initialised;
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
    const std::string probe = "image." + std::string(extension);
    const ILenum type = extension.empty() ? ILenum(IL_TYPE_UNKNOWN) : ilTypeFromExt(probe.c_str());
    const bool loaded = ilLoadL(type == IL_TYPE_UNKNOWN ? ILenum(IL_TYPE_UNKNOWN) : type, data,
                                static_cast<ILuint>(size)) &&
                        ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE);
    ilDisable(IL_ORIGIN_SET);
    DecodedImage image;
    const long long width = ilGetInteger(IL_IMAGE_WIDTH), height = ilGetInteger(IL_IMAGE_HEIGHT);
    const unsigned char* pixels = ilGetData();
    if (!loaded || width <= 0 || height <= 0 || !pixels)
        image = failure("refused");
    else if (exceeds(width, height, maxSide))
        image = failure("too large", true, width, height);
    else {
        image.width = static_cast<int>(width);
        image.height = static_cast<int>(height);
        image.rgba.assign(pixels, pixels + std::size_t(width) * std::size_t(height) * 4);
    }
    ilDeleteImages(1, &name);
    return image;
}

} // namespace

DecodedImage decodeImageBytes(const unsigned char* data, std::size_t size,
                              std::string_view extension, int maxSide, bool useDevil) {
    if (size == 0)
        return failure("refused (empty file)");
    if (size > static_cast<std::size_t>(INT_MAX))
        return failure("refused (larger than 2 GiB)");
    const ImageHeader header = inspectImage(data, size, extension);
    if (!header.problem.empty())
        return failure(header.problem);
    if (header.format != ImageFormat::Unknown && exceeds(header.width, header.height, maxSide))
        return failure("too large", true, header.width, header.height);
    if (header.builtIn)
        return decodeBuiltIn(data, size, header);
    if (!useDevil)
        return failure("refused (no built-in decoder for this layout)");
    return decodeWithDevil(data, size, extension, maxSide);
}
