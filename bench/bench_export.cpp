// Costs of the export: the border-pair search on a model of one million triangles with a long
// part border, the whole model file, the whole "Export" command with its snapshot, the edge
// search beside the all-pairs search on 20,000 faces, and the OBJ writer beside an
// fprintf("%f") writer of the same layout.
#include "export/export_model.h"
#include "export/export_obj.h"
#include "export/mesh_pair.h"
#include "mesh/simple_mesh.h"
#include "platform/graphics_init.h"
#include "platform/offscreen_context.h"
#include "tests/export/pair_reference.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

const float kPartCompression[4] = {1, 1, 1, 1};

struct Model {
    SimpleMesh input, output;
};

// A wavy height field of columns x rows cells, two triangles each, one texture coordinate
// and one normal per grid point. Part 1 is a set of wavy bands across the whole field, so
// the part border runs along every band edge; faces whose corners disagree are border faces.
// The output mirrors the depth of the part's vertices.
Model makeModel(int columns, int rows) {
    Model m;
    SimpleMesh& in = m.input;
    const int side = columns + 1;
    for (int y = 0; y <= rows; ++y)
        for (int x = 0; x <= columns; ++x) {
            float u = float(x) / columns, v = float(y) / rows;
            in.vertices.edit().push_back({u * 40, v * 20, std::sin(u * 30) * std::cos(v * 20)});
            in.texCoords.edit().push_back({u, v});
            in.normals.edit().push_back({0, 0, 1});
            float band = std::fmod(x + 6 * std::sin(y * 0.05f) + 1000, 50.0f);
            in.vertexPart.edit().push_back(band < 25 ? 1 : 0);
        }
    in.faces.edit().reserve(2u * columns * rows, 6u * columns * rows);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x) {
            int a = y * side + x, b = a + 1, c = a + side + 1, d = a + side;
            for (auto t : {std::array{a, b, c}, std::array{a, c, d}}) {
                in.faces.edit().push_back(t);
                bool mixed = in.vertexPart[t[0]] != in.vertexPart[t[1]] ||
                             in.vertexPart[t[1]] != in.vertexPart[t[2]];
                in.facePart.edit().push_back(mixed ? -1 : in.vertexPart[t[0]]);
            }
        }
    in.texCoordFaces = in.faces;
    in.normalFaces = in.faces;
    in.faceVisible.edit().assign(in.faces.size(), 1);
    in.vertexInPart = in.vertexPart;
    m.output = in;
    for (std::size_t v = 0; v < in.vertices.size(); ++v)
        if (in.vertexPart[v])
            m.output.vertices.edit()[v].z = 2 - in.vertices[v].z;
    return m;
}

const Model& millionTriangles() {
    static const Model model = makeModel(1000, 500);
    return model;
}

const Model& twentyThousandFaces() {
    static const Model model = makeModel(200, 50);
    return model;
}

// Console traces go where a terminal would take them without slowing the measurement.
std::ostream& nullLog() {
    static std::ofstream log("/dev/null");
    return log;
}

std::string tempFolder() {
    static const std::string folder =
        (std::filesystem::temp_directory_path() / ("hv-bench-" + std::to_string(getpid())))
            .string();
    return folder;
}

void countBorder(benchmark::State& state, const Model& m, std::size_t pairs) {
    std::size_t border = 0;
    for (int p : m.input.facePart)
        border += p < 0;
    state.counters["faces"] = double(m.input.faces.size());
    state.counters["borderFaces"] = double(border);
    state.counters["pairs"] = double(pairs);
}

void BM_BuildMeshPairs_1M(benchmark::State& state) {
    const Model& m = millionTriangles();
    std::vector<MeshPair> pairs;
    for (auto _ : state)
        buildMeshPairs(m.input, m.output, kPartCompression, pairs, nullLog());
    countBorder(state, m, pairs.size());
}

void BM_ExportFile_1M(benchmark::State& state) {
    const Model& m = millionTriangles();
    std::vector<MeshPair> pairs;
    const std::string path = tempFolder() + "/export.obj";
    for (auto _ : state)
        if (!writeObjFile(path, [&](ObjWriter& writer) {
                 writeExport(writer, m.input, m.output, kPartCompression, pairs, nullLog());
             }).empty())
            state.SkipWithError("cannot write the export file");
    state.counters["bytes"] = double(std::filesystem::file_size(path));
    countBorder(state, m, pairs.size());
}

// The whole command as the "Export" button runs it, snapshot of a 640 x 480 window included.
void BM_ExportModel_1M(benchmark::State& state) {
    static OffscreenContext context;
    if (context.width() == 0) {
        if (!context.create(640, 480)) {
            state.SkipWithError("no offscreen OpenGL context");
            return;
        }
        initGraphicsState(true);
    }
    const Model& m = millionTriangles();
    std::vector<MeshPair> pairs;
    std::streambuf* console = std::cout.rdbuf(nullLog().rdbuf());
    std::fflush(stderr); // "Done!" goes to /dev/null during the run
    int savedErrors = dup(2), nullFile = open("/dev/null", O_WRONLY);
    dup2(nullFile, 2);
    for (auto _ : state)
        exportModel(
            m.input, m.output, kPartCompression, pairs, 640, 480,
            [] { glClear(GL_COLOR_BUFFER_BIT); }, tempFolder());
    std::cout.rdbuf(console);
    dup2(savedErrors, 2);
    close(savedErrors);
    close(nullFile);
}

void BM_PairSearch_20k(benchmark::State& state) {
    const Model& m = twentyThousandFaces();
    std::vector<MeshPair> pairs;
    for (auto _ : state)
        buildMeshPairs(m.input, m.output, kPartCompression, pairs, nullLog());
    countBorder(state, m, pairs.size());
}

void BM_AllPairsReference_20k(benchmark::State& state) {
    const Model& m = twentyThousandFaces();
    std::vector<MeshPair> pairs;
    for (auto _ : state) {
        std::string lines;
        pairs = reference::allPairs(m.input, m.output, kPartCompression, lines);
        benchmark::DoNotOptimize(lines.data());
    }
    countBorder(state, m, pairs.size());
}

// The plain layout (all faces as stored) through the block writer ...
void BM_ObjWriter_1M(benchmark::State& state) {
    const SimpleMesh& mesh = millionTriangles().input;
    for (auto _ : state) {
        std::string why = writeObjFile("/dev/null", [&](ObjWriter& w) {
            w.header();
            w.vertexSection(mesh.vertices);
            w.texCoordSection(mesh.texCoords);
            w.normalSection(mesh.normals);
            for (std::size_t f = 0; f < mesh.faces.size(); ++f)
                w.meshFace(mesh, f);
            w.elements(mesh.faces.size());
        });
        if (!why.empty())
            state.SkipWithError(why.c_str());
    }
}

// ... and through fprintf with "%f", as a plain C writer would do it.
void BM_FprintfWriter_1M(benchmark::State& state) {
    const SimpleMesh& mesh = millionTriangles().input;
    for (auto _ : state) {
        std::FILE* file = std::fopen("/dev/null", "w");
        std::fprintf(file, "#Created by HollowvistaConverter\n\n");
        for (const Vec3& v : mesh.vertices)
            std::fprintf(file, "v %f %f %f\n", v.x, v.y, v.z);
        std::fprintf(file, "# %zu vertices\n\n", mesh.vertices.size());
        for (const Vec2& t : mesh.texCoords)
            std::fprintf(file, "vt %f %f\n", t.u, t.v);
        std::fprintf(file, "# %zu texture vertices\n\n", mesh.texCoords.size());
        for (const Vec3& n : mesh.normals)
            std::fprintf(file, "vn %f %f %f\n", n.x, n.y, n.z);
        std::fprintf(file, "# %zu normal vertices\n\n", mesh.normals.size());
        for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
            std::fprintf(file, "f");
            for (std::size_t k = 0; k < mesh.faces[f].size(); ++k)
                std::fprintf(file, " %d/%d/%d", mesh.faces[f][k] + 1, mesh.texCoordFaces[f][k] + 1,
                             mesh.normalFaces[f][k] + 1);
            std::fprintf(file, "\n");
        }
        std::fprintf(file, "# %zu elements\n\n", mesh.faces.size());
        std::fclose(file);
    }
}

} // namespace

BENCHMARK(BM_BuildMeshPairs_1M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportFile_1M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportModel_1M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PairSearch_20k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AllPairsReference_20k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ObjWriter_1M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FprintfWriter_1M)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(tempFolder());
    return 0;
}
