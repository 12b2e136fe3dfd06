// What a user waits for on the model that bench_load reads (a height field of about one
// million triangles with "v", "vt" and "vn" lines and "v/t/n" corners, about 100 MB):
// - "Open Mesh" up to the first frame drawn, beside SimpleMesh::load alone, in the same run;
// - the peak memory that a session adds to the started program: "Open Mesh", "Set Up a
//   Camera", two lassos, "Preview" and "Export", each followed by a frame as the window draws
//   one after every command, against the file's size, with the peak reached by the end of each
//   step; then a frame of the output model, which a user looks at before exporting.
// The session runs first, in the fresh process, so that its peak is its own.
#include "bench/support/obj_model_file.h"
#include "bench/support/program_driver.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <vector>

namespace {

constexpr int kCells = 708; // 708 x 708 quads, two triangles each: 1,002,528 triangles

std::string modelPath;

double processSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

struct Times {
    double wall = 0, cpu = 0; // seconds; cpu: every thread of the process
};

template <typename Work> Times timed(Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = processSeconds();
    work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            processSeconds() - cpuStart};
}

double median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// Each iteration reads the model alone (SimpleMesh::load) and then runs "Open Mesh" up to the
// first frame drawn; the two are timed back to back so that both meet the same load on the
// machine. The iteration's time is the open; the counters give the medians of both and of
// their ratio, in wall time and in the process's CPU time.
void BM_OpenToFirstFrame(benchmark::State& state) {
    QuietOutput quiet(std::cerr);
    std::vector<double> readWall, readCpu, openWall, openCpu, wallRatio, cpuRatio;
    for (auto _ : state) {
        const Times read = timed([] {
            SimpleMesh mesh;
            mesh.load(modelPath, {});
        });
        const Times open = timed([] {
            openFile(kOpenMesh, modelPath);
            frame();
        });
        state.SetIterationTime(open.wall);
        readWall.push_back(read.wall);
        readCpu.push_back(read.cpu);
        openWall.push_back(open.wall);
        openCpu.push_back(open.cpu);
        wallRatio.push_back(open.wall / read.wall);
        cpuRatio.push_back(open.cpu / read.cpu);
    }
    state.counters["read_ms"] = median(readWall) * 1e3;
    state.counters["open_ms"] = median(openWall) * 1e3;
    state.counters["ratio"] = median(wallRatio);
    state.counters["read_cpu_ms"] = median(readCpu) * 1e3;
    state.counters["open_cpu_ms"] = median(openCpu) * 1e3;
    state.counters["cpu_ratio"] = median(cpuRatio);
}
BENCHMARK(BM_OpenToFirstFrame)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(15);

// Runs one session step and prints its wall time and the peak memory added so far.
template <typename Step>
void step(const char* name, std::uint64_t base, double fileMB, Step&& run) {
    QuietOutput quiet(std::cerr);
    const Times took = timed(run);
    const double added = (peakResidentBytes() - base) / 1e6;
    std::printf("  %-28s %7.0f ms, peak added %7.1f MB (%.2f x file)\n", name, took.wall * 1e3,
                added, added / fileMB);
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    startProgram();
    modelPath = (startProgram() / "grid.obj").string();
    const double fileMB = writeGridModel(modelPath, kCells) / 1e6;
    if (fileMB == 0) {
        std::cerr << "cannot write " << modelPath << "\n";
        return 1;
    }

    resetPeakMemory();
    const std::uint64_t base = residentBytes();
    std::printf("session on %.1f MB, %d triangles; started program %.1f MB resident\n", fileMB,
                2 * kCells * kCells, base / 1e6);
    // Each command as the panel runs it, followed by the frame the window then draws.
    auto command = [](ControlId id) {
        return [id] {
            runCommand(id);
            frame();
        };
    };
    step("Open Mesh", base, fileMB, [] {
        openFile(kOpenMesh, modelPath);
        frame();
    });
    step("Set Up a Camera", base, fileMB, command(kSetUpCamera));
    step("two lassos", base, fileMB, [] {
        lasso(1, 0, 0, 320, 480);
        frame();
        lasso(2, 330, 0, 640, 480);
        frame();
    });
    step("Preview", base, fileMB, command(kPreview));
    step("Export", base, fileMB, command(kExport));
    step("a frame of the output model", base, fileMB, [] {
        shownModel = 1;
        frame();
        shownModel = 0;
    });

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    removeScratch();
    return 0;
}
