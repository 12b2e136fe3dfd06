// What a user waits for with large models: generated textured models of about 100,000 to
// 5,000,000 triangles taken through the program's own commands in an offscreen 640 x 480
// window with the program's start-up state: the file read alone, "Open Mesh" (reading the OBJ
// file), "Set Up a Camera", a lasso,
// "Preview", "Push", a frame drawn in immediate mode (the former drawing, kept as the tests'
// reference) and from the mesh's buffers, a frame after a change (buffers rebuilt), "Export"
// and "Triangulate Faces"; and "Export Solid" at SCALE 1, 2 and 4 for each size and for the
// bundled sample after its session (examples/sample.hvs), with the sizes of the files it
// writes. Every figure is wall time; the CPU column is the whole process's
// CPU time (both cores and the software renderer's threads); peak_MB is the process's peak
// resident memory so far. Run each size on its own for its own peak:
//
//     build/bench/bench_scale --benchmark_filter=/100k
//     build/bench/bench_scale --benchmark_filter=/1M
//     build/bench/bench_scale --benchmark_filter=/sample
#include "app/camera.h"
#include "app/picture_check.h"
#include "app/trim_setting.h"
#include "bench/support/bmp_file.h"
#include "bench/support/program_driver.h"
#include "script/session_runner.h"
#include "script/session_script.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

namespace {

struct ModelSize {
    const char* name;
    int cells; // cells x cells quads, two triangles each
};
// 224 x 224 x 2 = 100,352, 387 x 387 x 2 = 299,538, 708 x 708 x 2 = 1,002,528,
// 1225 x 1225 x 2 = 3,001,250 and 1581 x 1581 x 2 = 4,999,122 triangles: how each step grows
// with the model.
constexpr ModelSize kSizes[] = {
    {"100k", 224}, {"300k", 387}, {"1M", 708}, {"3M", 1225}, {"5M", 1581}};

std::string modelPath(const ModelSize& size) {
    return (startProgram() / (std::string("grid-") + size.name + ".obj")).string();
}

// A wavy height field filling the window from the start-up view (28 x 22 units at distance
// 100), with one texture coordinate per position and no normals, so that loading computes
// them, as for most scans.
void writeGridModel(const std::string& path, int cells) {
    std::ofstream out(path);
    const int side = cells + 1;
    char line[160];
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const float u = -14 + 28.0f * x / cells, v = -11 + 22.0f * y / cells;
            std::snprintf(line, sizeof line, "v %.5f %.5f %.5f\n", u, v,
                          2.5f * std::sin(u * 0.7f) * std::cos(v * 0.9f));
            out << line;
        }
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            std::snprintf(line, sizeof line, "vt %.5f %.5f\n", float(x) / cells, float(y) / cells);
            out << line;
        }
    for (int y = 0; y < cells; ++y)
        for (int x = 0; x < cells; ++x) {
            const int a = y * side + x + 1, b = a + 1, c = a + side + 1, d = a + side;
            std::snprintf(line, sizeof line, "f %d/%d %d/%d %d/%d\nf %d/%d %d/%d %d/%d\n", a, a, b,
                          b, c, c, a, a, c, c, d, d);
            out << line;
        }
}

// A 256 x 256 BMP of colour bands.
void writeTexture(const std::string& path) {
    writeBmp(path, 256, [](int x, int y) {
        return std::array<unsigned char, 3>{static_cast<unsigned char>(x),
                                            static_cast<unsigned char>(y),
                                            static_cast<unsigned char>((x ^ y) & 255)};
    });
}

// "Open Mesh" of the model of that size.
void openModel(const ModelSize& size) {
    openFile(kOpenMesh, modelPath(size));
}

// Where a model stands in the session: opened with its texture, the start-up view set up as
// the camera and two parts lassoed (the left and the right half); or that and "Preview" too.
enum class Stage { Painted, Previewed };
const ModelSize* preparedSize = nullptr;
Stage preparedStage = Stage::Painted;

void prepare(const ModelSize& size, Stage stage = Stage::Painted) {
    if (preparedSize != &size || (stage == Stage::Painted && preparedStage != stage)) {
        if (!std::filesystem::exists(modelPath(size)))
            writeGridModel(modelPath(size), size.cells);
        openModel(size);
        const std::string texture = (startProgram() / "bands.bmp").string();
        if (!std::filesystem::exists(texture))
            writeTexture(texture);
        openFile(kOpenTexture, texture);
        runCommand(kSetUpCamera);
        lasso(1, 0, 0, 320, 480);
        lasso(2, 330, 0, 640, 480);
        preparedSize = &size;
        preparedStage = Stage::Painted;
    }
    if (stage == Stage::Previewed && preparedStage != stage) {
        runCommand(kPreview);
        preparedStage = stage;
    }
}

// The sample session (examples/sample.hvs without its closing screenshot) replayed from the
// start: the sample and its texture opened, two parts lassoed, "Preview".
void prepareSample() {
    startProgram();
    std::ifstream in(std::string(HV_SOURCE_DIR) + "/examples/sample.hvs");
    std::string script, line;
    while (std::getline(in, line))
        if (!line.starts_with("screenshot "))
            script += line + "\n";
    // Run from the scratch folder, the model's "mtllib Mesh/sample.mtl" finds nothing: the
    // texture is opened by name.
    const std::string model = "Mesh/sample.obj", mesh = std::string(HV_SOURCE_DIR) + "/Mesh/";
    script.replace(script.find(model), model.size(),
                   mesh + "sample.obj\nopen-texture " + mesh + "sample.bmp");
    QuietOutput quiet;
    if (runSessionCommands(parseSessionScript(script).commands) != 0)
        std::abort();
    preparedSize = nullptr;
}

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0; // kilobytes on Linux
}

void report(benchmark::State& state) {
    state.counters["faces"] = static_cast<double>(inputMesh.faces.size());
    state.counters["peak_MB"] = peakMegabytes();
}

void openMesh(benchmark::State& state, const ModelSize* size) {
    prepare(*size);
    for (auto _ : state)
        openModel(*size);
    report(state);
    preparedSize = nullptr; // the painted state is gone
}

// The model's file read alone (SimpleMesh::load into a mesh of its own), in this warm process.
void readModel(benchmark::State& state, const ModelSize* size) {
    prepare(*size);
    QuietOutput quiet(std::cerr);
    for (auto _ : state) {
        SimpleMesh mesh;
        if (!mesh.load(modelPath(*size), {}))
            std::abort();
    }
    report(state);
}

// "Set Up a Camera" on the painted model (the view stays the start-up view).
void setUpCamera(benchmark::State& state, const ModelSize* size) {
    prepare(*size);
    for (auto _ : state)
        runCommand(kSetUpCamera);
    report(state);
}

void paintLasso(benchmark::State& state, const ModelSize* size) {
    prepare(*size);
    for (auto _ : state)
        lasso(1, 0, 0, 320, 480);
    report(state);
}

void command(benchmark::State& state, const ModelSize* size, ControlId id) {
    prepare(*size, id == kPreview ? Stage::Painted : Stage::Previewed);
    for (auto _ : state)
        runCommand(id);
    report(state);
    if (id == kPreview)
        preparedStage = Stage::Previewed;
}

// Frames of one model in one stage, the buffers built before timing: the input model before
// "Preview" (every face seen, back faces drawn) or after it (faces that own no pixel drawn
// translucent, back faces of the seen ones), or the output model after it (seen faces only).
void drawFrames(benchmark::State& state, const ModelSize* size, Stage stage, int view,
                bool immediateMode) {
    prepare(*size, stage);
    shownModel = view;
    frame(immediateMode);
    for (auto _ : state)
        frame(immediateMode);
    report(state);
    state.counters["seen_faces"] = static_cast<double>(
        std::count(inputMesh.faceVisible.begin(), inputMesh.faceVisible.end(), 1));
    shownModel = 0;
}

// A frame after a change to what is shown (one face switched in or out, as a Shift+click
// does): the buffers are rebuilt, then drawn.
void frameAfterChange(benchmark::State& state, const ModelSize* size) {
    prepare(*size, Stage::Previewed);
    for (auto _ : state) {
        inputMesh.faceVisible.edit()[0] ^= 1;
        frame(false);
    }
    report(state);
}

// "Export Solid" at one SCALE of a model of that size after "Preview", or of the sample after
// its session (size null), with one front vertex per sample (full) or within the default
// tolerance; the counters give the files' sizes in MB and the triangles.
void exportSolidAt(benchmark::State& state, const ModelSize* size, int scale, bool full) {
    if (size)
        prepare(*size, Stage::Previewed);
    else
        prepareSample();
    solidScale = scale;
    solidTolerance = full ? 0 : -1;
    for (auto _ : state)
        runCommand(kExportSolid);
    report(state);
    for (const char* kind : {"stl", "obj", "png"})
        state.counters[std::string(kind) + "_MB"] =
            double(std::filesystem::file_size(std::string("data/export_solid.") + kind)) / 1e6;
    std::ifstream stl("data/export_solid.stl", std::ios::binary);
    unsigned char count[4] = {};
    stl.seekg(80);
    stl.read(reinterpret_cast<char*>(count), 4);
    state.counters["triangles"] = count[0] | count[1] << 8 | count[2] << 16 | count[3] << 24;
    solidScale = 2;
    solidTolerance = -1;
}

// The same command with "Trim Hidden" on: the rebuilds convert the model cut to what the set-up
// camera sees. "Preview" cuts afresh each time, as a first "Preview" does; "Push" takes the cut
// that "Preview" made, as every rebuild under the same camera does.
void trimmedCommand(benchmark::State& state, const ModelSize* size, ControlId id) {
    trimHidden = 1;
    prepare(*size, id == kPreview ? Stage::Painted : Stage::Previewed);
    for (auto _ : state) {
        if (id == kPreview)
            forgetLastCut();
        runCommand(id);
    }
    report(state);
    trimHidden = 0;
    preparedSize = nullptr; // the output model is a trimmed one: start afresh
}

// The measure of the picture kept alone: the output model's ID pass and the comparison with
// the input's image (kept from the "Preview" before, so not read again). The output model does
// not change between repetitions, so its ID buffer is built once; a rebuild ("Push") builds it
// again each time, which the Push figure includes.
void pictureKept(benchmark::State& state, const ModelSize* size) {
    prepare(*size, Stage::Previewed);
    for (auto _ : state)
        withSetupCamera([] { measurePictureKept(nullptr); });
    report(state);
}

void registerSize(const ModelSize& size) {
    const std::string suffix = std::string("/") + size.name;
    auto add = [&](const std::string& name, int iterations, auto&& function, auto... args) {
        benchmark::RegisterBenchmark((name + suffix).c_str(), function, &size, args...)
            ->Iterations(iterations)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MeasureProcessCPUTime();
    };
    add("Read", 2, readModel);
    add("OpenMesh", 2, openMesh);
    add("SetUpCamera", 3, setUpCamera);
    add("Lasso", 3, paintLasso);
    add("Frame/input/opened/immediate", 3, drawFrames, Stage::Painted, 0, true);
    add("Frame/input/opened/buffered", 10, drawFrames, Stage::Painted, 0, false);
    add("Preview", 2, command, kPreview);
    add("Push", 3, command, kPush);
    add("Preview/trimmed", 2, trimmedCommand, kPreview);
    add("Push/trimmed", 3, trimmedCommand, kPush);
    add("PictureKept", 3, pictureKept);
    add("Frame/input/previewed/immediate", 3, drawFrames, Stage::Previewed, 0, true);
    add("Frame/input/previewed/buffered", 10, drawFrames, Stage::Previewed, 0, false);
    add("Frame/output/previewed/immediate", 3, drawFrames, Stage::Previewed, 1, true);
    add("Frame/output/previewed/buffered", 10, drawFrames, Stage::Previewed, 1, false);
    add("Frame/afterChange", 3, frameAfterChange);
    add("Export", 2, command, kExport);
    add("Triangulate", 2, command, kTriangulate);
    for (int scale : {1, 2, 4})
        for (bool full : {true, false})
            add("ExportSolid/scale" + std::to_string(scale) + (full ? "/full" : "/bounded"), 2,
                exportSolidAt, scale, full);
}

} // namespace

int main(int argc, char** argv) {
    for (const ModelSize& size : kSizes)
        registerSize(size);
    for (int scale : {1, 2, 4})
        for (bool full : {true, false})
            benchmark::RegisterBenchmark(("ExportSolid/scale" + std::to_string(scale) +
                                          (full ? "/full" : "/bounded") + "/sample")
                                             .c_str(),
                                         exportSolidAt, nullptr, scale, full)
                ->Iterations(2)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->MeasureProcessCPUTime();
    benchmark::Initialize(&argc, argv);
    startProgram();
    benchmark::AddCustomContext("renderer",
                                reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    benchmark::AddCustomContext("cores", std::to_string(sysconf(_SC_NPROCESSORS_ONLN)));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    removeScratch();
    return 0;
}
