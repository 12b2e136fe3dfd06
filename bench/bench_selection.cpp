// Costs of the measuring and converting passes on a model of about one million triangles in
// the offscreen context, beside one plain immediate-mode frame of the same model: the
// visibility pass, the depth passes of all parts, one conversion, one rebuild and a whole
// "Preview" (two rounds of visibility, depths and rebuild).
#include "mesh/part_paint.h"
#include "platform/graphics_init.h"
#include "platform/offscreen_context.h"
#include "selection/depth_inversion.h"
#include "selection/lasso.h"
#include "selection/lasso_gl.h"
#include "selection/part_depth.h"
#include "selection/picking.h"
#include "selection/view_transform_gl.h"
#include "tests/support/part_arrays.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <ostream>

namespace {

constexpr int kWidth = 640, kHeight = 480;
constexpr int kCells = 708; // 708 x 708 quads, two triangles each: 1,002,528 triangles

void applyProjection() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(30, kWidth / static_cast<double>(kHeight), 5, 200);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, -100);
    glRotatef(-20, 1, 0, 0);
}

// The offscreen context with the program's start-up state and viewport, made once.
void ensureContext() {
    static OffscreenContext context;
    static bool made = false;
    if (made)
        return;
    if (!context.create(kWidth, kHeight))
        std::abort();
    initGraphicsState(true);
    glViewport(-kWidth, -kHeight, 3 * kWidth, 3 * kHeight);
    made = true;
}

// A wavy height field filling the window, front faces towards the camera, in three parts
// (vertical bands) with seams between them, selection state as after painting.
SimpleMesh makeModel() {
    SimpleMesh mesh;
    const int side = kCells + 1;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const float u = -14 + 28.0f * x / kCells, v = -11 + 22.0f * y / kCells;
            mesh.vertices.edit().push_back({u, v, 2.5f * std::sin(u * 0.7f) * std::cos(v * 0.9f)});
        }
    mesh.normals.edit().assign(mesh.vertices.size(), Vec3{0, 0, 1});
    mesh.faces.edit().reserve(2u * kCells * kCells, 6u * kCells * kCells);
    for (int y = 0; y < kCells; ++y)
        for (int x = 0; x < kCells; ++x) {
            const int a = y * side + x, b = a + 1, c = a + side + 1, d = a + side;
            mesh.faces.edit().push_back(std::vector<int>{a, b, c});
            mesh.faces.edit().push_back(std::vector<int>{a, c, d});
        }
    mesh.normalFaces = mesh.faces;
    const std::size_t faceCount = mesh.faces.size();
    mesh.faceVisible.edit().assign(faceCount, 1);
    mesh.facePart.edit().assign(faceCount, 0);
    mesh.vertexPart.edit().assign(mesh.vertices.size(), 0);
    mesh.vertexInPart.edit().assign(mesh.vertices.size(), 0);
    for (std::size_t f = 0; f < faceCount; ++f)
        mesh.facePart.edit()[f] = 1 + static_cast<int>((f / 2) % kCells) * 3 / kCells;
    for (int part = 1; part <= 3; ++part)
        propagateFacePart(mesh, part);
    return mesh;
}

SimpleMesh& model() {
    static SimpleMesh mesh = makeModel();
    return mesh;
}

std::ostream& discard() {
    static std::ostream sink(nullptr);
    return sink;
}

void measureParts(const SimpleMesh& mesh, PartArrays& parts, const ViewTransform& view) {
    for (int p = 0; p < 4; ++p) {
        parts.median[p] =
            medianPartDepth(mesh, p, view, parts.minDepth[p], parts.maxDepth[p], discard());
        parts.position[p] = boundaryPartDepth(mesh, p, parts.median[p], view, discard());
    }
}

void BM_PlainFrame(benchmark::State& state) {
    ensureContext();
    const SimpleMesh& mesh = model();
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        applyProjection();
        mesh.draw(false);
        glFinish();
    }
    state.counters["faces"] = static_cast<double>(mesh.faces.size());
}

// The frame of the painted input model as the window shows it: the model, then the coat of its
// three parts (every face but the seams').
void BM_PaintedFrame(benchmark::State& state) {
    ensureContext();
    const SimpleMesh& mesh = model();
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        applyProjection();
        mesh.draw(false);
        drawPartPaint(mesh);
        glFinish();
    }
    state.counters["faces"] = static_cast<double>(mesh.faces.size());
}

void BM_MarkVisibleFaces(benchmark::State& state) {
    ensureContext();
    SimpleMesh& mesh = model();
    for (auto _ : state)
        markVisibleFaces(mesh, true, kWidth, kHeight, applyProjection);
}

void BM_PartDepths(benchmark::State& state) {
    ensureContext();
    const SimpleMesh& mesh = model();
    const ViewTransform view = viewTransformAfter(applyProjection);
    PartArrays parts;
    for (auto _ : state) {
        measureParts(mesh, parts, view);
        benchmark::DoNotOptimize(parts.position);
    }
}

void BM_InvertPartDepths(benchmark::State& state) {
    ensureContext();
    SimpleMesh& mesh = model();
    const ViewTransform view = viewTransformAfter(applyProjection);
    PartArrays parts;
    measureParts(mesh, parts, view);
    SimpleMesh output = mesh;
    output.hideInvisibleFaces = 1;
    for (auto _ : state) {
        invertPartDepths(mesh, output, parts.settings(), view, discard());
        benchmark::DoNotOptimize(output.vertices.data());
    }
}

void BM_RebuildOutputModel(benchmark::State& state) {
    ensureContext();
    SimpleMesh& mesh = model();
    const ViewTransform view = viewTransformAfter(applyProjection);
    PartArrays parts;
    measureParts(mesh, parts, view);
    SimpleMesh output;
    for (auto _ : state) {
        rebuildOutputModelWith(mesh, output, parts.settings(), view, discard());
        benchmark::DoNotOptimize(output.vertices.data());
    }
}

void BM_Preview(benchmark::State& state) {
    ensureContext();
    SimpleMesh& mesh = model();
    PartArrays parts;
    SimpleMesh output;
    for (auto _ : state)
        for (int round = 0; round < 2; ++round) {
            markVisibleFaces(mesh, true, kWidth, kHeight, applyProjection);
            const ViewTransform view = viewTransformAfter(applyProjection);
            measureParts(mesh, parts, view);
            rebuildOutputModelWith(mesh, output, parts.settings(), view, discard());
        }
}

} // namespace

BENCHMARK(BM_PlainFrame)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_PaintedFrame)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_MarkVisibleFaces)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_PartDepths)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_InvertPartDepths)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_RebuildOutputModel)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_Preview)->Unit(benchmark::kMillisecond)->MinTime(2);

BENCHMARK_MAIN();
