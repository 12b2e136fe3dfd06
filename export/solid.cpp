#include "export/solid.h"

#include "export/solid_front.h"

#include <algorithm>
#include <cmath>

namespace {

using Triangle = std::array<int, 3>;

bool isBackground(float depth) {
    return !(depth < 1.0f); // a NaN depth counts as nothing drawn too
}

// The window depth of sample i's front vertex: its own, or the front plane's.
double sampleDepth(const DepthImage& image, std::size_t i, double frontDepth) {
    const float d = image.depth[i];
    return isBackground(d) ? frontDepth : d;
}

// The grid points on the border of the rectangle [x0, x1] x [y0, y1] of a grid width points
// wide, counter-clockwise (x to the right, y up) from (x0, y0), each once.
std::vector<int> borderLoop(int x0, int y0, int x1, int y1, int width) {
    std::vector<int> loop;
    loop.reserve(2 * std::size_t(x1 - x0 + y1 - y0));
    for (int x = x0; x < x1; ++x)
        loop.push_back(y0 * width + x);
    for (int y = y0; y < y1; ++y)
        loop.push_back(y * width + x1);
    for (int x = x1; x > x0; --x)
        loop.push_back(y1 * width + x);
    for (int y = y1; y > y0; --y)
        loop.push_back(y * width + x0);
    return loop;
}

// Rectangles of grid points, [x0, x1] x [y0, y1].
struct Rect {
    int x0, y0, x1, y1;
};

// Greedy rectangles of blocks whose cells are all background (a cell is background when its
// four corner samples are). Each becomes a fan around an inner grid point, which needs at
// least two cells each way and saves triangles only when (a - 1) (b - 1) > 1 for a x b cells.
// merged receives, per block, whether a rectangle covers it.
std::vector<Rect> backgroundRects(const DepthImage& image, std::vector<char>& merged,
                                  int& blocksWide) {
    const int w = image.width, cellsWide = w - 1, cellsHigh = image.height - 1;
    blocksWide = (cellsWide + kSolidBlock - 1) / kSolidBlock;
    const int blocksHigh = (cellsHigh + kSolidBlock - 1) / kSolidBlock;
    std::vector<char> full(std::size_t(blocksWide) * blocksHigh, 1), taken(full.size(), 0);
    for (int y = 0; y < cellsHigh; ++y)
        for (int x = 0; x < cellsWide; ++x) {
            const float* d = &image.depth[std::size_t(y) * w + x];
            if (!(isBackground(d[0]) && isBackground(d[1]) && isBackground(d[w]) &&
                  isBackground(d[w + 1])))
                full[(y / kSolidBlock) * blocksWide + x / kSolidBlock] = 0;
        }
    merged.assign(full.size(), 0);
    auto free = [&](int bx, int by) {
        return full[by * blocksWide + bx] && !taken[by * blocksWide + bx];
    };
    std::vector<Rect> rects;
    for (int by = 0; by < blocksHigh; ++by)
        for (int bx = 0; bx < blocksWide; ++bx) {
            if (!free(bx, by))
                continue;
            int bx1 = bx + 1, by1 = by + 1;
            while (bx1 < blocksWide && free(bx1, by))
                ++bx1;
            auto rowFree = [&](int row) {
                for (int x = bx; x < bx1; ++x)
                    if (!free(x, row))
                        return false;
                return true;
            };
            while (by1 < blocksHigh && rowFree(by1))
                ++by1;
            const Rect r{bx * kSolidBlock, by * kSolidBlock, std::min(bx1 * kSolidBlock, cellsWide),
                         std::min(by1 * kSolidBlock, cellsHigh)};
            const bool worth = (r.x1 - r.x0 - 1) * (r.y1 - r.y0 - 1) > 1;
            for (int y = by; y < by1; ++y)
                for (int x = bx; x < bx1; ++x) {
                    taken[y * blocksWide + x] = 1;
                    merged[y * blocksWide + x] = worth;
                }
            if (worth)
                rects.push_back(r);
        }
    return rects;
}

// The front in grid indices: fans over merged rectangles, two triangles per other cell, split
// along the diagonal whose ends are closer in depth (so a step in depth is not cut across).
// The list has room for the walls and the back that follow.
std::vector<Triangle> frontTriangles(const DepthImage& image, double frontDepth,
                                     bool mergeBackground) {
    const int w = image.width, cellsWide = w - 1, cellsHigh = image.height - 1;
    std::vector<char> merged;
    int blocksWide = 0;
    const std::vector<Rect> rects =
        mergeBackground ? backgroundRects(image, merged, blocksWide) : std::vector<Rect>();
    std::vector<Triangle> triangles;
    triangles.reserve(2 * std::size_t(cellsWide) * cellsHigh + 6 * std::size_t(w + image.height));
    for (const Rect& r : rects) {
        const std::vector<int> loop = borderLoop(r.x0, r.y0, r.x1, r.y1, w);
        const int centre = (r.y0 + (r.y1 - r.y0) / 2) * w + r.x0 + (r.x1 - r.x0) / 2;
        for (std::size_t i = 0; i < loop.size(); ++i)
            triangles.push_back({centre, loop[i], loop[(i + 1) % loop.size()]});
    }
    for (int y = 0; y < cellsHigh; ++y)
        for (int x = 0; x < cellsWide; ++x) {
            if (!merged.empty() && merged[(y / kSolidBlock) * blocksWide + x / kSolidBlock])
                continue;
            const int p00 = y * w + x, p10 = p00 + 1, p01 = p00 + w, p11 = p01 + 1;
            auto at = [&](int p) { return sampleDepth(image, p, frontDepth); };
            if (std::abs(at(p00) - at(p11)) <= std::abs(at(p10) - at(p01))) {
                triangles.push_back({p00, p10, p11});
                triangles.push_back({p00, p11, p01});
            } else {
                triangles.push_back({p00, p10, p01});
                triangles.push_back({p10, p11, p01});
            }
        }
    return triangles;
}

// How far a point at eye distance d + 1 on a line of sight lies from the point at d, at most,
// over the image: 1 for an orthographic camera, more towards the corners of a perspective one.
double sightStretch(const double projection[16], const Unprojector& toEye, int w, int h) {
    if (projection[11] == 0)
        return 1;
    double most = 1;
    for (const auto& [x, y] : {std::pair{0, 0}, {w, 0}, {0, h}, {w, h}}) {
        DPoint3 p;
        toEye({double(x), double(y), 0.5}, p);
        if (p.z < 0)
            most = std::max(most, std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z) / -p.z);
    }
    return most;
}

// The smallest factor by which the modelview stretches a length in object units.
double modelviewScale(const double m[16]) {
    double least = INFINITY;
    for (int column = 0; column < 3; ++column)
        least = std::min(least, std::hypot(m[4 * column], m[4 * column + 1], m[4 * column + 2]));
    return least;
}

// The front's surface for boundedFront: each sample's depth (background on the front plane)
// and the window depths within eyeTolerance of it along its line of sight, rounded inwards.
FrontSurface frontSurface(const DepthImage& image, const double p[16], double frontDepth,
                          double eyeTolerance) {
    FrontSurface surface{image.width, image.height, {}, {}, {}, {1, 0}};
    const std::size_t n = image.depth.size();
    surface.depth.resize(n);
    surface.low.resize(n);
    surface.high.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const float depth = float(sampleDepth(image, i, frontDepth));
        surface.depth[i] = depth;
        const double distance = eyeDistance(p, depth);
        double low = distance > eyeTolerance ? windowDepth(p, distance - eyeTolerance) : -INFINITY;
        double high = windowDepth(p, distance + eyeTolerance);
        if (!(low <= high)) // a projection whose depth falls with distance
            std::swap(low, high);
        float lowF = std::min(float(low), depth), highF = std::max(float(high), depth);
        if (lowF < low)
            lowF = std::nextafter(lowF, INFINITY);
        if (highF > high)
            highF = std::nextafter(highF, -INFINITY);
        surface.low[i] = std::min(lowF, depth);
        surface.high[i] = std::max(highF, depth);
    }
    // 1 / w against the window depth: w = p11 z + p15 and ndc depth * w = p10 z + p14 for the
    // eye's z.
    if (p[11] != 0) {
        const double k = p[10] / p[11], denominator = p[14] - k * p[15];
        surface.inverseW[0] = (-1 - k) / denominator;
        surface.inverseW[1] = 2 / denominator;
    } else {
        surface.inverseW[0] = 1 / p[15];
        surface.inverseW[1] = 0;
    }
    return surface;
}

Vec3 toVec3(const DPoint3& p) {
    return {float(p.x), float(p.y), float(p.z)};
}

} // namespace

double eyeDistance(const double p[16], double depth) {
    const double ndc = 2 * depth - 1;
    return -(p[14] - ndc * p[15]) / (ndc * p[11] - p[10]);
}

double windowDepth(const double p[16], double distance) {
    const double z = -distance;
    return 0.5 * (p[10] * z + p[14]) / (p[11] * z + p[15]) + 0.5;
}

SolidMesh buildSolid(const DepthImage& image, const ViewTransform& view,
                     const SolidOptions& options) {
    const int w = image.width, h = image.height;
    const double* projection = view.projection;
    const Unprojector toObject(view);
    ViewTransform eyeView = view; // the same window, unprojected into eye space
    std::fill(std::begin(eyeView.modelview), std::end(eyeView.modelview), 0.0);
    for (int i = 0; i < 4; ++i)
        eyeView.modelview[i * 5] = 1;
    const Unprojector toEye(eyeView);
    DPoint3 probe;
    if (w < 2 || h < 2 || image.depth.size() != std::size_t(w) * h ||
        !toObject({0.5, 0.5, 0.5}, probe))
        return {};

    // The plate's front plane lies behind the farthest drawn sample; with nothing drawn it
    // passes through the model's origin.
    float nearest = 1, farthest = 0;
    for (float d : image.depth)
        if (!isBackground(d)) {
            nearest = std::min(nearest, d);
            farthest = std::max(farthest, d);
        }
    const bool drawn = nearest <= farthest;
    double nearDistance, farDistance;
    if (drawn) {
        nearDistance = eyeDistance(projection, nearest);
        farDistance = eyeDistance(projection, farthest);
    } else {
        const double origin = -view.modelview[14];
        nearDistance = farDistance =
            std::isfinite(origin) && origin > 0 ? origin : eyeDistance(projection, 0.5);
    }
    const double atFar = windowDepth(projection, farDistance);
    DPoint3 corner0, corner1;
    toEye({0.5, 0.5, atFar}, corner0);
    toEye({w - 0.5, h - 0.5, atFar}, corner1);
    const double diagonal =
        length(Vec3d{corner1.x - corner0.x, corner1.y - corner0.y, corner1.z - corner0.z});
    const double thickness = options.thickness > 0
                                 ? options.thickness
                                 : std::max(0.05 * (farDistance - nearDistance), 0.01 * diagonal);
    const double frontDistance = drawn ? farDistance + thickness / 5 : farDistance;
    const double frontDepth = windowDepth(projection, frontDistance);
    const double backDepth = windowDepth(projection, frontDistance + thickness);

    // The bounds are kept in window depths, whose float precision runs out at the clipping
    // planes: a panel whose front would touch or pass them takes the full grid.
    const bool withinPlanes = !drawn || (nearest > 0 && frontDepth < 1);
    std::vector<Triangle> front;
    if (options.tolerance == 0 || !withinPlanes) {
        front = frontTriangles(image, frontDepth, options.mergeBackground);
    } else {
        const double eyeTolerance = options.tolerance > 0
                                        ? options.tolerance * modelviewScale(view.modelview)
                                        : 0.001 * (farDistance - nearDistance);
        front = boundedFront(frontSurface(image, projection, frontDepth,
                                          eyeTolerance / sightStretch(projection, toEye, w, h)));
    }

    // Front vertices: the samples that some front triangle uses, in grid order.
    SolidMesh solid;
    const std::size_t samples = image.depth.size();
    std::vector<int> vertexOf(samples, -1);
    std::size_t used = 0;
    for (const Triangle& t : front)
        for (int g : t)
            if (vertexOf[g] < 0) {
                vertexOf[g] = 0; // used; numbered below
                ++used;
            }
    solid.vertices.reserve(used + 2 * std::size_t(w + h) + 1);
    solid.texCoords.reserve(used + 1);
    auto unproject = [&](double x, double y, double z) {
        DPoint3 p;
        toObject({x, y, z}, p);
        solid.vertices.push_back(toVec3(p));
    };
    for (std::size_t g = 0; g < samples; ++g) {
        if (vertexOf[g] < 0)
            continue;
        vertexOf[g] = int(solid.vertices.size());
        const double x = double(g % w) + 0.5, y = double(g / w) + 0.5;
        unproject(x, y, sampleDepth(image, g, frontDepth));
        solid.texCoords.push_back({float(x / w), float(y / h)});
    }
    solid.frontVertices = solid.vertices.size();
    for (Triangle& t : front)
        for (int& g : t)
            g = vertexOf[g];
    solid.triangles = std::move(front);
    solid.frontTriangles = solid.triangles.size();

    // Walls between the front's border and the back's, then the back as a fan around its
    // centre; the border runs counter-clockwise as the front's own border edges do, through
    // the border samples that the front uses.
    std::vector<int> ring;
    for (int g : borderLoop(0, 0, w - 1, h - 1, w))
        if (vertexOf[g] >= 0)
            ring.push_back(g);
    const int backStart = int(solid.vertices.size()), n = int(ring.size());
    for (int g : ring)
        unproject(double(g % w) + 0.5, double(g / w) + 0.5, backDepth);
    const int centre = int(solid.vertices.size());
    unproject(w / 2.0, h / 2.0, backDepth);
    for (int i = 0; i < n; ++i) {
        const int j = (i + 1) % n;
        const int f0 = vertexOf[ring[i]], f1 = vertexOf[ring[j]], b0 = backStart + i,
                  b1 = backStart + j;
        solid.triangles.push_back({f1, f0, b0});
        solid.triangles.push_back({f1, b0, b1});
        solid.triangles.push_back({centre, b1, b0});
    }

    const auto plate = std::find_if(image.depth.begin(), image.depth.end(), isBackground);
    solid.plateSample = plate == image.depth.end() ? 0 : int(plate - image.depth.begin());
    solid.texCoords.push_back(
        {float((solid.plateSample % w + 0.5) / w), float((solid.plateSample / w + 0.5) / h)});
    for (const Vec3& v : solid.vertices)
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
            return {};
    // A camera that mirrors turns the window's counter-clockwise order inside out.
    if (signedVolume(solid) < 0)
        for (Triangle& t : solid.triangles)
            std::swap(t[1], t[2]);
    return solid;
}

double signedVolume(const SolidMesh& solid) {
    if (solid.vertices.empty())
        return 0;
    const Vec3d origin = widen(solid.vertices[0]);
    double sum = 0;
    for (const Triangle& t : solid.triangles) {
        const Vec3d a = widen(solid.vertices[t[0]]) - origin,
                    b = widen(solid.vertices[t[1]]) - origin,
                    c = widen(solid.vertices[t[2]]) - origin;
        sum += dot(a, cross(b, c));
    }
    return sum / 6;
}
