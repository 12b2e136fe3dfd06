// Reading a textured model of about one million triangles ("v", "vt", "vn" lines and "v/t/n"
// corners): SimpleMesh::load beside tinyobjloader's LoadObj on the same file, in the same run,
// as throughput, and the peak memory each adds to the process while loading.
#include "bench/support/obj_model_file.h"
#include "mesh/obj_loader.h"
#include "mesh/simple_mesh.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <tiny_obj_loader.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

constexpr int kCells = 708; // 708 x 708 quads, two triangles each: 1,002,528 triangles

std::string modelPath;
std::uint64_t modelBytes = 0;
double meshMBs = 0, tinyMBs = 0, oneThreadMBs = 0;

// Keeps the loader's console lines out of the benchmark's report.
class QuietErrors {
  public:
    QuietErrors() : saved_(std::cerr.rdbuf(sink_.rdbuf())) {}
    ~QuietErrors() { std::cerr.rdbuf(saved_); }

  private:
    std::ostringstream sink_;
    std::streambuf* saved_;
};

bool loadWithSimpleMesh() {
    QuietErrors quiet;
    SimpleMesh mesh;
    const bool ok = mesh.load(modelPath, {});
    benchmark::DoNotOptimize(mesh.faces.size());
    return ok;
}

// The reader alone on one thread, for comparison with the threaded load.
bool readOnOneThread() {
    QuietErrors quiet;
    ObjLoader reader;
    reader.options.threads = 1;
    const bool ok = reader.loader(modelPath);
    benchmark::DoNotOptimize(reader.faces.size());
    return ok;
}

bool loadWithTinyObj() {
    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
    std::string warn, err;
    const bool ok = tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err, modelPath.c_str(),
                                     nullptr, false);
    benchmark::DoNotOptimize(shapes.data());
    return ok;
}

// Runs one loader per iteration and records its throughput in MB/s (10^6 bytes).
template <bool (*Load)()> void throughput(benchmark::State& state, double& megabytesPerSecond) {
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!Load())
            state.SkipWithError("loading failed");
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * modelBytes));
    megabytesPerSecond = state.iterations() * modelBytes / 1e6 / seconds;
    state.counters["MB/s"] = megabytesPerSecond;
}

void BM_SimpleMeshLoad(benchmark::State& state) {
    throughput<loadWithSimpleMesh>(state, meshMBs);
}
void BM_TinyObjLoadObj(benchmark::State& state) {
    throughput<loadWithTinyObj>(state, tinyMBs);
}
void BM_ObjLoaderOneThread(benchmark::State& state) {
    throughput<readOnOneThread>(state, oneThreadMBs);
}
BENCHMARK(BM_SimpleMeshLoad)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_ObjLoaderOneThread)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_TinyObjLoadObj)->Unit(benchmark::kMillisecond)->MinTime(2);

// Resident and peak resident memory of the process in bytes, from /proc/self/status.
std::uint64_t statusBytes(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key + ":", 0) == 0)
            return std::stoull(line.substr(key.size() + 1)) * 1024;
    return 0;
}

// Peak memory that one load adds above the resident memory before it: the kernel's peak
// counter is reset to the current resident size first.
std::uint64_t peakIncrease(bool (*load)()) {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    const std::uint64_t before = statusBytes("VmRSS");
    load();
    return statusBytes("VmHWM") - before;
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    modelPath = (std::filesystem::temp_directory_path() /
                 ("hv-bench-load-" + std::to_string(getpid()) + ".obj"))
                    .string();
    modelBytes = writeGridModel(modelPath, kCells);
    if (modelBytes == 0) {
        std::cerr << "cannot write " << modelPath << "\n";
        return 1;
    }
    // Memory first, while the process is still small.
    const std::uint64_t meshPeak = peakIncrease(loadWithSimpleMesh);
    const std::uint64_t tinyPeak = peakIncrease(loadWithTinyObj);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove(modelPath);

    const double mb = modelBytes / 1e6;
    std::printf("model: %d triangles, %.1f MB\n", 2 * kCells * kCells, mb);
    std::printf("throughput: SimpleMesh::load %.1f MB/s, tinyobjloader LoadObj %.1f MB/s, "
                "ratio %.2f\n",
                meshMBs, tinyMBs, tinyMBs > 0 ? meshMBs / tinyMBs : 0);
    std::printf("one thread: ObjLoader::loader %.1f MB/s, ratio %.2f\n", oneThreadMBs,
                tinyMBs > 0 ? oneThreadMBs / tinyMBs : 0);
    std::printf("peak memory added by loading: SimpleMesh::load %.1f MB (%.2f x file), "
                "tinyobjloader %.1f MB (%.2f x file)\n",
                meshPeak / 1e6, meshPeak / 1e6 / mb, tinyPeak / 1e6, tinyPeak / 1e6 / mb);
    return 0;
}
