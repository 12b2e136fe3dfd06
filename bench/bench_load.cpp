// Reading a textured model of about one million triangles ("v", "vt", "vn" lines and "v/t/n"
// corners): SimpleMesh::load beside tinyobjloader's LoadObj on the same file, in the same run,
// timed back to back in each iteration, and the peak memory each adds to the process while
// loading.
#include "bench/support/obj_model_file.h"
#include "bench/support/program_driver.h"
#include "mesh/obj_loader.h"
#include "mesh/simple_mesh.h"

#include <benchmark/benchmark.h>
#include <tiny_obj_loader.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr int kCells = 708; // 708 x 708 quads, two triangles each: 1,002,528 triangles

std::string modelPath;
std::uint64_t modelBytes = 0;
double tinyMs = 0, meshMs = 0, oneThreadMs = 0, meshFaster = 0, oneThreadFaster = 0;

bool loadWithSimpleMesh() {
    QuietOutput quiet(std::cerr);
    SimpleMesh mesh;
    const bool ok = mesh.load(modelPath, {});
    benchmark::DoNotOptimize(mesh.faces.size());
    return ok;
}

// The reader alone on one thread, for comparison with the threaded load.
bool readOnOneThread() {
    QuietOutput quiet(std::cerr);
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

double seconds(bool (*load)()) {
    const auto start = std::chrono::steady_clock::now();
    load();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// Each iteration runs the three readers back to back (tinyobjloader, SimpleMesh::load, the
// reader on one thread), so that all three meet the same load on a shared machine; the
// iteration's time is SimpleMesh::load's. The counters give the medians of their times (ms)
// and of the per-iteration ratios to tinyobjloader.
void BM_SideBySide(benchmark::State& state) {
    std::vector<double> tiny, mesh, oneThread, meshRatio, oneThreadRatio;
    for (auto _ : state) {
        tiny.push_back(seconds(loadWithTinyObj));
        mesh.push_back(seconds(loadWithSimpleMesh));
        oneThread.push_back(seconds(readOnOneThread));
        state.SetIterationTime(mesh.back());
        meshRatio.push_back(tiny.back() / mesh.back());
        oneThreadRatio.push_back(tiny.back() / oneThread.back());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * modelBytes));
    tinyMs = median(tiny) * 1e3;
    meshMs = median(mesh) * 1e3;
    oneThreadMs = median(oneThread) * 1e3;
    meshFaster = median(meshRatio);
    oneThreadFaster = median(oneThreadRatio);
    state.counters["tinyobj_ms"] = tinyMs;
    state.counters["SimpleMesh_ms"] = meshMs;
    state.counters["one_thread_ms"] = oneThreadMs;
    state.counters["x_tinyobj"] = meshFaster;
}
BENCHMARK(BM_SideBySide)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(9);

// Peak memory that one load adds above the resident memory before it: the kernel's peak
// counter is reset to the current resident size first.
std::uint64_t peakIncrease(bool (*load)()) {
    resetPeakMemory();
    const std::uint64_t before = residentBytes();
    load();
    return peakResidentBytes() - before;
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
    std::printf("read (medians): tinyobjloader LoadObj %.0f ms, SimpleMesh::load %.0f ms "
                "(%.2f x as fast), ObjLoader::loader on one thread %.0f ms (%.2f x as fast)\n",
                tinyMs, meshMs, meshFaster, oneThreadMs, oneThreadFaster);
    std::printf("peak memory added by loading: SimpleMesh::load %.1f MB (%.2f x file), "
                "tinyobjloader %.1f MB (%.2f x file)\n",
                meshPeak / 1e6, meshPeak / 1e6 / mb, tinyPeak / 1e6, tinyPeak / 1e6 / mb);
    return 0;
}
