#include "tests/fuzz/relief_check.h"

#include "export/solid.h"
#include "tests/export/solid_checks.h"
#include "tests/support/program_view.h"

#include <algorithm>
#include <cmath>

namespace {

// A sample's window depth: mostly within the range a model 85 to 112 units away draws, with
// the background, the near plane and a depth just short of the far plane among them.
float sampleDepth(std::uint8_t b) {
    if (b >= 200)
        return 1.0f;
    if (b == 199)
        return 0.0f;
    if (b == 198)
        return 0.99999f;
    return 0.9f + 0.095f * float(b) / 198;
}

} // namespace

std::string checkReliefInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6)
        return "";
    const int width = 2 + data[0] % 31, height = 2 + data[1] % 31;
    const double yaw = (data[2] - 128) * M_PI / 256, pitch = ((data[3] & 0x7f) - 64) * M_PI / 256;
    const double s = data[3] & 0x80 ? -1 : 1, ca = std::cos(pitch), sa = std::sin(pitch),
                 cb = std::cos(yaw), sb = std::sin(yaw);
    const ViewTransform view = programView(width, height, 30,
                                           {s * cb, s * sa * sb, -s * ca * sb, 0, 0, ca, sa, 0, sb,
                                            -sa * cb, ca * cb, 0, 0, 0, -100, 1});
    // Byte 5: the full grid (0) or a front within 0.005 to 1.275 object units.
    const double tolerance = data[5] * 0.005;
    const SolidOptions options{(data[4] & 0x7f) * 0.05, (data[4] & 0x80) != 0, tolerance};
    DepthImage image{width, height, {}};
    for (int i = 0; i < width * height; ++i)
        image.depth.push_back(size > 6 ? sampleDepth(data[6 + i % (size - 6)]) : 1.0f);

    const SolidMesh solid = buildSolid(image, view, options);
    if (solid.texCoords.size() != solid.frontVertices + 1)
        return "texture coordinates do not match the front";
    for (const Vec3& v : solid.vertices)
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
            return "a vertex is not finite";
    for (const auto& t : solid.triangles)
        for (int corner : t)
            if (corner < 0 || std::size_t(corner) >= solid.vertices.size())
                return "a triangle names no vertex";
    if (const std::string fault = closedSolidFault(solid); !fault.empty())
        return fault;
    if (!(frontPixelError(solid, view, width, height) < 2e-3))
        return "a front vertex is off its pixel";
    // A front at the clipping planes takes the full grid, whose triangles there can stand
    // edge-on to the lines of sight that the reference follows: bounds are checked inside them.
    const double frontDepth = frontDepthOf(solid, image, view);
    const bool atPlanes = frontDepth >= 1 || std::any_of(image.depth.begin(), image.depth.end(),
                                                         [](float d) { return d <= 0; });
    // The full grid has a vertex on every sample: it holds a bound of nothing but float slack.
    if (!atPlanes)
        return boundFault(solid, image, view, frontDepth, tolerance > 0 ? tolerance : 1e-3);
    return "";
}
