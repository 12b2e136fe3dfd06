// What a user waits for on the model that bench_load reads (a height field of about one
// million triangles with "v", "vt" and "vn" lines and "v/t/n" corners, about 100 MB):
// - "Open Mesh" up to the first frame drawn, beside SimpleMesh::load alone, in the same run;
// - the peak memory that a session adds to the started program: "Open Mesh", the first frame,
//   "Set Up a Camera", two lassos, "Preview", a frame of the output model and "Export",
//   against the file's size, with the peak reached by the end of each step.
// The session runs first, in the fresh process, so that its peak is its own.
#include "bench/support/obj_model_file.h"
#include "bench/support/program_driver.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <iostream>
#include <sstream>

namespace {

constexpr int kCells = 708; // 708 x 708 quads, two triangles each: 1,002,528 triangles

std::string modelPath;
double readSeconds = 0, openSeconds = 0;

// Keeps the loader's console lines out of the report.
class QuietErrors {
  public:
    QuietErrors() : saved_(std::cerr.rdbuf(sink_.rdbuf())) {}
    ~QuietErrors() { std::cerr.rdbuf(saved_); }

  private:
    std::ostringstream sink_;
    std::streambuf* saved_;
};

void BM_Read(benchmark::State& state) {
    QuietErrors quiet;
    for (auto _ : state) {
        SimpleMesh mesh;
        if (!mesh.load(modelPath, {}))
            state.SkipWithError("loading failed");
    }
}

void BM_OpenToFirstFrame(benchmark::State& state) {
    QuietErrors quiet;
    for (auto _ : state) {
        openFile(kOpenMesh, modelPath);
        frame();
    }
}

// Wall time per iteration of a finished benchmark run, from its reporter.
class Collect : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median")
                continue;
            const double seconds = run.GetAdjustedRealTime() / 1e3; // reported in milliseconds
            if (run.benchmark_name().starts_with("BM_Read"))
                readSeconds = seconds;
            else
                openSeconds = seconds;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

BENCHMARK(BM_Read)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2)->Repetitions(5);
BENCHMARK(BM_OpenToFirstFrame)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2)
    ->Repetitions(5);

// Runs one session step and prints the peak memory added so far.
template <typename Step>
void step(const char* name, std::uint64_t base, double fileMB, Step&& run) {
    QuietErrors quiet;
    run();
    const double added = (peakResidentBytes() - base) / 1e6;
    std::printf("  %-28s peak added %7.1f MB (%.2f x file)\n", name, added, added / fileMB);
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
    step("Open Mesh", base, fileMB, [] { openFile(kOpenMesh, modelPath); });
    step("first frame", base, fileMB, [] { frame(); });
    step("Set Up a Camera", base, fileMB, [] { runCommand(kSetUpCamera); });
    step("two lassos", base, fileMB, [] {
        lasso(1, 0, 0, 320, 480);
        lasso(2, 330, 0, 640, 480);
    });
    step("Preview", base, fileMB, [] { runCommand(kPreview); });
    step("frame of the output model", base, fileMB, [] {
        shownModel = 1;
        frame();
        shownModel = 0;
    });
    step("Export", base, fileMB, [] { runCommand(kExport); });

    Collect reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    removeScratch();
    if (readSeconds > 0 && openSeconds > 0)
        std::printf("Open Mesh to the first frame: %.3f s, %.2f x the read (%.3f s)\n",
                    openSeconds, openSeconds / readSeconds, readSeconds);
    return 0;
}
