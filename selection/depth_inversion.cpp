#include "selection/depth_inversion.h"

#include "mesh/parallel.h"
#include "selection/part_depth.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Below this many vertices a second thread costs more than it saves.
constexpr std::size_t kThreadedVertexCount = 50000;

bool nothingPainted(const SimpleMesh& input, std::size_t vertexCount) {
    return vertexCount > 0 && std::all_of(input.vertexPart.begin(), input.vertexPart.end(),
                                          [](int part) { return part == 0; });
}

void labelWholeMeshPartOne(SimpleMesh& mesh, std::size_t vertexCount, std::size_t faceCount) {
    mesh.vertexPart = std::vector<int>(vertexCount, 1);
    mesh.vertexInPart = mesh.vertexPart;
    mesh.facePart = std::vector<int>(faceCount, 1);
}

// Per part, the mirror's terms in double precision from the float settings.
struct MirrorTable {
    double median[4], compression[4], offset[4];

    explicit MirrorTable(const PartDepthSettings& parts) {
        for (int p = 0; p < 4; ++p) {
            const double m = parts.medianDepth[p], b = parts.position[p];
            const double k = parts.compression[p];
            median[p] = m;
            compression[p] = k;
            offset[p] = k * (m - b) + m - b;
        }
    }
    double mirroredDepth(int p, double wz) const {
        return median[p] + compression[p] * (median[p] - wz) - offset[p];
    }
};

bool isFinite(const DPoint3& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// Vertices per part whose mirrored depth was held between the clipping planes.
using HeldCounts = std::array<std::size_t, 4>;

// The converted position of one painted vertex of part p; false when it cannot be computed.
// A mirrored depth beyond the clipping planes is held at the plane it passed, so that no vertex
// lands behind the eye or beyond the far plane, and counted in held.
bool mirrorVertex(const Vec3& position, int p, const MirrorTable& table, const ViewTransform& view,
                  const Unprojector& unproject, Vec3& result, HeldCounts& held) {
    DPoint3 window, moved;
    if (!projectPoint(view, {position.x, position.y, position.z}, window))
        return false;
    const double mirrored = table.mirroredDepth(p, window.z);
    window.z = std::clamp(mirrored, 0.0, 1.0);
    held[p] += window.z != mirrored && !std::isnan(mirrored);
    if (!unproject(window, moved) || !isFinite(moved))
        return false;
    // A finite double beyond the float range (a depth mirrored past the far plane can put the
    // point almost at infinity) would become an infinite position.
    const Vec3 narrowed{static_cast<float>(moved.x), static_cast<float>(moved.y),
                        static_cast<float>(moved.z)};
    if (!std::isfinite(narrowed.x) || !std::isfinite(narrowed.y) || !std::isfinite(narrowed.z))
        return false;
    result = narrowed;
    return true;
}

// Converts vertices [begin, end) into positions: each writes only its own entry.
void invertRange(const SimpleMesh& input, const SimpleMesh& output, const MirrorTable& table,
                 const ViewTransform& view, const Unprojector& unproject, std::size_t begin,
                 std::size_t end, std::vector<Vec3>& positions, HeldCounts& held) {
    for (std::size_t i = begin; i < end; ++i) {
        const Vec3& position = input.vertices[i];
        Vec3 result = position;
        const bool painted = i < output.vertexInPart.size() && output.vertexInPart[i] != 0 &&
                             i < output.vertexPart.size();
        if (painted) {
            const int p = output.vertexPart[i];
            if (p < 0 || p > 3 || !mirrorVertex(position, p, table, view, unproject, result, held))
                result = position;
        }
        positions[i] = result;
    }
}

HeldCounts invertAll(const SimpleMesh& input, SimpleMesh& output, const MirrorTable& table,
                     const ViewTransform& view) {
    const Unprojector unproject(view);
    const std::size_t n = std::min(input.vertices.size(), output.vertices.size());
    std::vector<Vec3>& positions = output.vertices.edit();
    HeldCounts held[2] = {};
    runHalves(n, kThreadedVertexCount, [&](std::size_t begin, std::size_t end) {
        invertRange(input, output, table, view, unproject, begin, end, positions,
                    held[begin == 0 ? 0 : 1]);
    });
    for (int p = 0; p < 4; ++p)
        held[0][p] += held[1][p];
    return held[0];
}

} // namespace

void invertPartDepths(SimpleMesh& input, SimpleMesh& output, const PartDepthSettings& parts,
                      const ViewTransform& view, std::ostream& out) {
    const std::size_t n = output.vertices.size();
    if (nothingPainted(input, n)) {
        labelWholeMeshPartOne(input, n, output.faces.size());
        labelWholeMeshPartOne(output, n, output.faces.size());
        parts.medianDepth[1] =
            medianPartDepth(input, 1, view, parts.minDepth[1], parts.maxDepth[1], out);
    }
    const HeldCounts held = invertAll(input, output, MirrorTable(parts), view);
    for (int p = 0; p < 4; ++p)
        if (held[p] > 0)
            out << "part " << p << ": " << held[p]
                << " mirrored vertices held between the clipping planes\n";
}

void rebuildOutputModelWith(SimpleMesh& input, SimpleMesh& output, const PartDepthSettings& parts,
                            const ViewTransform& view, std::ostream& out) {
    output = input;
    output.hideInvisibleFaces = 1;
    invertPartDepths(input, output, parts, view, out);
}
