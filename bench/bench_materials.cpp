// Drawing a model by material: a generated textured height field of 1,002,528 triangles
// (708 x 708 quads, two triangles each) in one material with one image, and the same
// triangles in 64 materials (bands of rows), each with an image of its own, opened through
// "Open Mesh" in an offscreen 640 x 480 window; then frames of the model just opened, drawn
// from its buffers. Wall time, with the whole process's CPU time.
//
//     build/bench/bench_materials
#include "bench/support/bmp_file.h"
#include "bench/support/program_driver.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr int kCells = 708;

// A 64 x 64 BMP of one colour with a pattern, so that no two images are alike.
void writeImage(const std::string& path, int seed) {
    writeBmp(path, 64, [seed](int x, int y) {
        return std::array<unsigned char, 3>{static_cast<unsigned char>(seed * 37),
                                            static_cast<unsigned char>(x * 4),
                                            static_cast<unsigned char>((x ^ y ^ seed) * 4)};
    });
}

// The height field with "vt" lines and no normals; rows of quads in `materials` bands, each
// band after a "usemtl mK" line, and the MTL file naming one image per material.
std::string writeModel(int materials) {
    const std::filesystem::path folder = startProgram();
    const std::string name = "grid-" + std::to_string(materials);
    const std::string path = (folder / (name + ".obj")).string();
    if (std::filesystem::exists(path))
        return path;
    std::ofstream mtl(folder / (name + ".mtl"));
    for (int m = 0; m < materials; ++m) {
        const std::string image = name + "-" + std::to_string(m) + ".bmp";
        writeImage((folder / image).string(), m);
        mtl << "newmtl m" << m << "\nKd 0.8 0.8 0.8\nmap_Kd " << image << "\n";
    }
    std::ofstream out(path);
    out << "mtllib " << name << ".mtl\n";
    const int side = kCells + 1;
    char line[160];
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const float u = -14 + 28.0f * x / kCells, v = -11 + 22.0f * y / kCells;
            std::snprintf(line, sizeof line, "v %.5f %.5f %.5f\n", u, v,
                          2.5f * std::sin(u * 0.7f) * std::cos(v * 0.9f));
            out << line;
        }
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            std::snprintf(line, sizeof line, "vt %.5f %.5f\n", float(x) / kCells,
                          float(y) / kCells);
            out << line;
        }
    int material = -1;
    for (int y = 0; y < kCells; ++y) {
        const int band = y * materials / kCells;
        if (band != material) {
            material = band;
            out << "usemtl m" << material << "\n";
        }
        for (int x = 0; x < kCells; ++x) {
            const int a = y * side + x + 1, b = a + 1, c = a + side + 1, d = a + side;
            std::snprintf(line, sizeof line, "f %d/%d %d/%d %d/%d\nf %d/%d %d/%d %d/%d\n", a, a, b,
                          b, c, c, a, a, c, c, d, d);
            out << line;
        }
    }
    return path;
}

void report(benchmark::State& state) {
    state.counters["faces"] = static_cast<double>(inputMesh.faces.size());
}

void openMesh(benchmark::State& state, int materials) {
    const std::string path = writeModel(materials);
    for (auto _ : state) {
        QuietOutput quiet(std::cerr);
        openFile(kOpenMesh, path);
    }
    report(state);
}

void drawFrames(benchmark::State& state, int materials) {
    {
        QuietOutput quiet(std::cerr);
        openFile(kOpenMesh, writeModel(materials));
    }
    frame(false); // the buffers are built before timing
    for (auto _ : state)
        frame(false);
    report(state);
}

void add(const std::string& name, int iterations, void (*function)(benchmark::State&, int),
         int materials) {
    benchmark::RegisterBenchmark((name + "/materials:" + std::to_string(materials)).c_str(),
                                 function, materials)
        ->Iterations(iterations)
        ->Repetitions(3)
        ->ReportAggregatesOnly(true)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MeasureProcessCPUTime();
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    for (const int materials : {1, 64}) {
        add("OpenMesh", 2, openMesh, materials);
        add("Frame/opened/buffered", 10, drawFrames, materials);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    removeScratch();
    return 0;
}
