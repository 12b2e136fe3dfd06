#include "selection/part_depth.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace {

// Window depth of one vertex, NaN when the projection fails (so every range test rejects it).
double windowDepth(const ViewTransform& view, const Vec3& v) {
    DPoint3 window;
    if (!projectPoint(view, {v.x, v.y, v.z}, window))
        return std::numeric_limits<double>::quiet_NaN();
    return window.z;
}

// Marks a depth not computed yet: no window depth is ever this value (NaN, the depth of a
// failed projection, compares unequal to everything and so is recomputed, to the same NaN).
constexpr double kNotProjected = -1e300;

// Running extremes as the console lines show them: floats starting at max 0, min 1.
struct DepthRange {
    float max = 0;
    float min = 1;
    void add(double d) {
        if (d > max)
            max = static_cast<float>(d);
        if (d < min)
            min = static_cast<float>(d);
    }
};

void printRange(std::ostream& out, const char* tag, int part, const DepthRange& range) {
    out << tag << part << ": max = " << range.max << "\t min = " << range.min << '\n';
}

} // namespace

float medianPartDepth(const SimpleMesh& mesh, int part, const ViewTransform& view, float& minDepth,
                      float& maxDepth, std::ostream& out) {
    DepthRange range;
    std::vector<float> depths;
    const std::size_t faceCount = std::min(mesh.faces.size(), mesh.faceVisible.size());
    const std::size_t vertexCount = std::min(mesh.vertices.size(), mesh.vertexPart.size());
    // A vertex is counted once per visible face that uses it, but projected only once.
    std::vector<double> depthOf(vertexCount, kNotProjected);
    for (std::size_t f = 0; f < faceCount; ++f) {
        if (mesh.faceVisible[f] != 1)
            continue;
        for (int v : mesh.faces[f]) {
            if (!isIndex(v, vertexCount) || mesh.vertexPart[v] != part)
                continue;
            double& d = depthOf[v];
            if (d == kNotProjected)
                d = windowDepth(view, mesh.vertices[v]);
            if (d >= 0 && d < 1) {
                range.add(d);
                depths.push_back(static_cast<float>(d));
            }
        }
    }
    maxDepth = range.max;
    minDepth = range.min;
    if (depths.empty()) {
        printRange(out, "[B]", part, range);
        return 1;
    }
    // Selecting the element at count / 2 gives the same element a full sort would.
    auto middle = depths.begin() + depths.size() / 2;
    std::nth_element(depths.begin(), middle, depths.end());
    return *middle;
}

float boundaryPartDepth(const SimpleMesh& mesh, int part, float medianFallback,
                        const ViewTransform& view, std::ostream& out) {
    DepthRange range;
    const std::size_t vertexCount = std::min(mesh.vertices.size(), mesh.vertexPart.size());
    const std::size_t faceCount =
        std::min({mesh.faces.size(), mesh.facePart.size(), mesh.faceVisible.size()});
    // The part's vertices on a visible seam face, marked face by face and then projected once
    // each, in vertex order.
    std::vector<unsigned char> onVisibleSeam(vertexCount, 0);
    for (std::size_t f = 0; f < faceCount; ++f)
        if (mesh.facePart[f] < 0 && mesh.faceVisible[f] == 1)
            for (int v : mesh.faces[f])
                if (isIndex(v, vertexCount) && mesh.vertexPart[v] == part)
                    onVisibleSeam[v] = 1;
    for (std::size_t v = 0; v < vertexCount; ++v) {
        if (!onVisibleSeam[v])
            continue;
        const double d = windowDepth(view, mesh.vertices[v]);
        if (d > 0 && d < 1)
            range.add(d);
    }
    printRange(out, "[P]", part, range);
    if (range.max != 0 && range.min != 1)
        return range.max;
    return medianFallback;
}
