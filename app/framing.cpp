#include "app/framing.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr double kNear = 5, kFar = 200;

// The 3 x 3 rotation of a quaternion (any non-zero length), row by row.
struct Rotation {
    double m[3][3];
    explicit Rotation(const Quat& q) {
        const std::array<float, 16> c = quaternionToMatrix(q); // column-major
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 3; ++k)
                m[r][k] = c[k * 4 + r];
    }
    Vec3d apply(const Vec3d& p) const {
        return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z,
                m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z,
                m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z};
    }
    Vec3d applyInverse(const Vec3d& p) const { // the transpose
        return {m[0][0] * p.x + m[1][0] * p.y + m[2][0] * p.z,
                m[0][1] * p.x + m[1][1] * p.y + m[2][1] * p.z,
                m[0][2] * p.x + m[1][2] * p.y + m[2][2] * p.z};
    }
};

bool isFinite(const Vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// The box around the finite vertices, each taken through map (a Vec3 to a Vec3d) first: its
// low and high corners; false when no vertex is finite.
template <typename Map>
bool boundsOf(const std::vector<Vec3>& vertices, Map map, Vec3d& low, Vec3d& high) {
    const double inf = std::numeric_limits<double>::infinity();
    low = {inf, inf, inf};
    high = {-inf, -inf, -inf};
    for (const Vec3& v : vertices) {
        if (!isFinite(v))
            continue;
        const Vec3d q = map(v);
        low = {std::min(low.x, q.x), std::min(low.y, q.y), std::min(low.z, q.z)};
        high = {std::max(high.x, q.x), std::max(high.y, q.y), std::max(high.z, q.z)};
    }
    return low.x <= high.x;
}

// The largest scale s for which a point q (turned, relative to the centre) stays within the
// slope `limit` of the line of sight across one window axis with offset `across`:
// s |across| / (distance - s q.z) <= limit.
double acrossLimit(double across, double depth, double limit, double distance) {
    const double denominator = std::abs(across) + limit * depth;
    return denominator > 0 ? limit * distance / denominator
                           : std::numeric_limits<double>::infinity();
}

} // namespace

std::optional<ModelFraming> fitModelIntoWindow(const std::vector<Vec3>& vertices,
                                               const FramingView& view, double fill,
                                               std::string* refusal) {
    const Rotation turn(view.rotation);
    Vec3d low, high;
    if (!boundsOf(
            vertices, [&](const Vec3& v) { return turn.apply(widen(v)); }, low, high))
        return {};
    const Vec3d middle{(low.x + high.x) / 2, (low.y + high.y) / 2, (low.z + high.z) / 2};
    const Vec3d centre = turn.applyInverse(middle);

    // Half the window seen at unit distance: a third of the projection's half extent.
    const double halfHeight = std::tan(view.fieldOfView * std::numbers::pi / 360) / 3;
    const double limitY = fill * halfHeight, limitX = fill * halfHeight * view.aspect;
    const double d = view.distance;
    double scale = std::numeric_limits<double>::infinity();
    for (const Vec3& v : vertices) {
        if (!isFinite(v))
            continue;
        const Vec3d q = turn.apply(widen(v)) - middle;
        scale =
            std::min({scale, acrossLimit(q.x, q.z, limitX, d), acrossLimit(q.y, q.z, limitY, d)});
        // Depth along the line of sight d - s q.z stays well inside [near, far].
        if (q.z > 0)
            scale = std::min(scale, (d - 2 * kNear) / q.z);
        else if (q.z < 0)
            scale = std::min(scale, (0.9 * kFar - d) / -q.z);
    }
    ModelFraming framing;
    if (std::isinf(scale) && scale > 0)
        return framing; // every finite vertex on one point
    framing.scale = static_cast<float>(scale);
    framing.centre = {static_cast<float>(centre.x), static_cast<float>(centre.y),
                      static_cast<float>(centre.z)};
    // The framed model, scale (v - centre), must be finite as floats: its extent times the
    // scale stays within the window, so checking the scale and the centre suffices.
    const double extent = std::max({high.x - low.x, high.y - low.y, high.z - low.z});
    const bool usable = std::isnormal(framing.scale) && framing.scale > 0 &&
                        std::isfinite(framing.centre[0]) && std::isfinite(framing.centre[1]) &&
                        std::isfinite(framing.centre[2]) &&
                        std::isfinite(static_cast<float>(extent * framing.scale));
    if (!usable) {
        if (refusal)
            *refusal = scale > 1 ? "too small" : "too large";
        return std::nullopt;
    }
    return framing;
}

std::string framingAdvice(const std::vector<Vec3>& vertices, const ViewTransform& view, int width,
                          int height) {
    Vec3d low, high;
    if (!boundsOf(vertices, widen, low, high))
        return "";
    const std::string suggestion = "; press f (\"Frame Model\") to fit it into the window";
    ViewTransform window = view;
    const int viewport[4] = {-width, -height, 3 * width, 3 * height};
    std::copy_n(viewport, 4, window.viewport);
    const double* m = view.modelview;
    double left = std::numeric_limits<double>::infinity(), right = -left, bottom = left,
           top = -left;
    for (int corner = 0; corner < 8; ++corner) {
        const Vec3d p{corner & 1 ? high.x : low.x, corner & 2 ? high.y : low.y,
                      corner & 4 ? high.z : low.z};
        const double distance = -(m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]);
        DPoint3 pixel;
        if (distance < kNear || distance > kFar || !projectPoint(window, {p.x, p.y, p.z}, pixel))
            return "The model reaches beyond the clipping planes from this view" + suggestion;
        left = std::min(left, pixel.x);
        right = std::max(right, pixel.x);
        bottom = std::min(bottom, pixel.y);
        top = std::max(top, pixel.y);
    }
    const double small = std::min(width, height) / 6.0;
    if (right - left >= small || top - bottom >= small)
        return "";
    // Whole pixels, held within int even for a box that projects to nearly nothing.
    const auto pixels = [](double extent) {
        return std::to_string(static_cast<long long>(std::ceil(std::clamp(extent, 0.0, 1e9))));
    };
    return "The model covers only " + pixels(right - left) + " x " + pixels(top - bottom) +
           " pixels from this view" + suggestion;
}
