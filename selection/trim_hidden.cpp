#include "selection/trim_hidden.h"

#include "mesh/parallel.h"
#include "selection/screen_cells.h"
#include "selection/screen_layers.h"

#include <GL/glu.h>
#include <clipper.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <deque>
#include <memory>
#include <span>

namespace {

// Below this many faces a second thread costs more than it saves.
constexpr std::size_t kThreadedFaceCount = 20000;
// Window coordinates beyond this many pixels are not cut (the grid's integers stay far from
// their limits, and such faces are far outside the window anyway).
constexpr double kMaxCutCoordinate = 1e6;
// Twice the screen area (square pixels) below which a triangle counts as having none.
constexpr double kNoArea = 1e-9;
// Window depths closer than this count as the same depth (a tie, settled by drawing order).
constexpr double kSameDepth = 1e-12;

// No default values: the polygons of the cut hold arrays of them that are written before read.
struct ScreenPoint {
    double x, y;
};

// One triangle of a face's fan, as the camera sees it.
struct FanTriangle {
    int face = 0;
    std::array<int, 3> corner{};       // positions in the face's corner list
    std::array<int, 3> vertex{};       // vertex indices
    std::array<ScreenPoint, 3> p{};    // window x, y
    std::array<double, 3> w{};         // clip-space w (> 0 for a usable triangle)
    double area2 = 0;                  // twice the signed screen area (> 0: counter-clockwise)
    double dzdx = 0, dzdy = 0, z0 = 0; // window depth = z0 + dzdx x + dzdy y
    double minX = 0, maxX = 0, minY = 0, maxY = 0, minZ = 0, maxZ = 0;
    bool culled = false;   // turned away from the camera while back faces are culled
    bool drawn = false;    // rasterised by the ID pass (not culled, has area, usable)
    bool cuttable = false; // drawn and within the grid's range

    double depthAt(double x, double y) const { return z0 + dzdx * x + dzdy * y; }
    // Screen barycentric weights of (x, y).
    std::array<double, 3> weights(double x, double y) const {
        const double l1 =
            ((x - p[0].x) * (p[2].y - p[0].y) - (p[2].x - p[0].x) * (y - p[0].y)) / area2;
        const double l2 =
            ((p[1].x - p[0].x) * (y - p[0].y) - (x - p[0].x) * (p[1].y - p[0].y)) / area2;
        return {1 - l1 - l2, l1, l2};
    }
};

struct Clip {
    double x, y, z, w;
};

Clip clipOf(const ViewTransform& view, const Vec3& v) {
    const double* m = view.modelview;
    const double* pr = view.projection;
    double eye[4];
    for (int r = 0; r < 4; ++r)
        eye[r] = m[r] * v.x + m[4 + r] * v.y + m[8 + r] * v.z + m[12 + r];
    double c[4];
    for (int r = 0; r < 4; ++r)
        c[r] = pr[r] * eye[0] + pr[4 + r] * eye[1] + pr[8 + r] * eye[2] + pr[12 + r] * eye[3];
    return {c[0], c[1], c[2], c[3]};
}

// Window x, y of a point in front of the eye.
ScreenPoint windowOf(const Clip& c, const int* vp) {
    return {vp[0] + vp[2] * (c.x / c.w + 1) / 2, vp[1] + vp[3] * (c.y / c.w + 1) / 2};
}

// Fills t from its corners' clip coordinates; t.drawn tells whether the ID pass draws it.
void describeTriangle(FanTriangle& t, const std::array<Clip, 3>& c, const ViewTransform& view,
                      bool backFaces) {
    const int* vp = view.viewport;
    double z[3];
    for (int k = 0; k < 3; ++k) {
        if (!(c[k].w > 0) || !std::isfinite(c[k].x) || !std::isfinite(c[k].y) ||
            !std::isfinite(c[k].z) || !std::isfinite(c[k].w))
            return;
        t.w[k] = c[k].w;
        t.p[k] = windowOf(c[k], vp);
        z[k] = (c[k].z / c[k].w + 1) / 2;
    }
    t.area2 = (t.p[1].x - t.p[0].x) * (t.p[2].y - t.p[0].y) -
              (t.p[2].x - t.p[0].x) * (t.p[1].y - t.p[0].y);
    if (!(std::abs(t.area2) > kNoArea) || !std::isfinite(t.area2))
        return;
    t.culled = !backFaces && t.area2 < 0;
    if (t.culled)
        return;
    // Depth is affine over the screen for a plane: solve z = z0 + dzdx x + dzdy y.
    const double ax = t.p[1].x - t.p[0].x, ay = t.p[1].y - t.p[0].y;
    const double bx = t.p[2].x - t.p[0].x, by = t.p[2].y - t.p[0].y;
    const double az = z[1] - z[0], bz = z[2] - z[0];
    t.dzdx = (az * by - bz * ay) / t.area2;
    t.dzdy = (bz * ax - az * bx) / t.area2;
    t.z0 = z[0] - t.dzdx * t.p[0].x - t.dzdy * t.p[0].y;
    t.minX = std::min({t.p[0].x, t.p[1].x, t.p[2].x});
    t.maxX = std::max({t.p[0].x, t.p[1].x, t.p[2].x});
    t.minY = std::min({t.p[0].y, t.p[1].y, t.p[2].y});
    t.maxY = std::max({t.p[0].y, t.p[1].y, t.p[2].y});
    t.minZ = std::min({z[0], z[1], z[2]});
    t.maxZ = std::max({z[0], z[1], z[2]});
    t.drawn = true;
    t.cuttable = std::max({std::abs(t.minX), std::abs(t.maxX), std::abs(t.minY),
                           std::abs(t.maxY)}) < kMaxCutCoordinate;
}

// The fans of the faces that need a look, in drawing order: firstTriangle[f] ..
// firstTriangle[f + 1] are face f's, none for a face whose every triangle is proven to lie
// alone on the screen (it comes through whole). cover holds, per listed triangle, kUncovered
// where it lies alone (it neither hides nor is hidden) and kPartlyCovered elsewhere.
struct Fans {
    std::vector<FanTriangle> triangles;
    std::vector<std::size_t> firstTriangle;
    std::vector<unsigned char> cover;
};

// What the first search found for a triangle.
constexpr unsigned char kPartlyCovered = 0, kBuried = 1, kUncovered = 2;

// Calls visit(triangle, number) for each triangle of the fans of faces [begin, end) in drawing
// order, numbered from firstNumber; a triangle of a face naming a vertex that does not exist
// is not described (not drawn).
template <typename Visit>
void forEachFanTriangle(const SimpleMesh& input, std::span<const Clip> clips,
                        const ViewTransform& view, bool backFaces, std::size_t begin,
                        std::size_t end, std::size_t firstNumber, Visit visit) {
    const IndexLists& faces = input.faces;
    const std::size_t vertexCount = input.vertices.size();
    std::size_t number = firstNumber;
    for (std::size_t f = begin; f < end; ++f) {
        const std::span<const int> corners = faces[f];
        const bool valid = std::all_of(corners.begin(), corners.end(),
                                       [&](int v) { return isIndex(v, vertexCount); });
        for (std::size_t k = 1; k + 1 < corners.size(); ++k) {
            FanTriangle t;
            t.face = static_cast<int>(f);
            t.corner = {0, static_cast<int>(k), static_cast<int>(k + 1)};
            if (valid) {
                t.vertex = {corners[0], corners[k], corners[k + 1]};
                describeTriangle(t, {clips[t.vertex[0]], clips[t.vertex[1]], clips[t.vertex[2]]},
                                 view, backFaces);
            }
            visit(t, number++);
        }
    }
}

template <typename T> void appendTo(std::vector<T>& to, const std::vector<T>& from) {
    to.insert(to.end(), from.begin(), from.end());
}

Fans buildFans(const SimpleMesh& input, const ViewTransform& view, bool backFaces) {
    const std::vector<Vec3>& vertices = input.vertices;
    const IndexLists& faces = input.faces;
    // Written whole before read: no time spent clearing them first.
    const std::unique_ptr<Clip[]> clipStore(new Clip[vertices.size()]);
    const std::unique_ptr<WindowPoint[]> pointStore(new WindowPoint[vertices.size()]);
    const std::span<const Clip> clips(clipStore.get(), vertices.size());
    const std::span<const WindowPoint> points(pointStore.get(), vertices.size());
    runHalves(vertices.size(), kThreadedFaceCount, [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            clipStore[i] = clipOf(view, vertices[i]);
            const ScreenPoint p = windowOf(clipStore[i], view.viewport);
            pointStore[i] = {p.x, p.y};
        }
    });
    // Each face's first fan triangle's number (fan triangles are fewer than corners, which fit
    // 32 bits).
    std::vector<std::uint32_t> fanStart(faces.size() + 1, 0);
    for (std::size_t f = 0; f < faces.size(); ++f)
        fanStart[f + 1] = fanStart[f] + (faces.count(f) >= 3 ? faces.count(f) - 2 : 0);

    // Which triangles lie alone on the screen, from the drawn ones' window positions. Any
    // drawn triangle too far out to be cut leaves every triangle to the search.
    std::vector<std::array<std::uint32_t, 3>> corners(fanStart.back());
    std::vector<unsigned char> drawnFlag(fanStart.back(), 0);
    bool provable[2] = {true, true};
    runHalves(faces.size(), kThreadedFaceCount, [&](std::size_t begin, std::size_t end) {
        bool& allCuttable = provable[begin == 0 ? 0 : 1];
        forEachFanTriangle(input, clips, view, backFaces, begin, end, fanStart[begin],
                           [&](const FanTriangle& t, std::size_t n) {
                               if (!t.drawn)
                                   return;
                               allCuttable = allCuttable && t.cuttable;
                               drawnFlag[n] = 1;
                               corners[n] = {static_cast<std::uint32_t>(t.vertex[0]),
                                             static_cast<std::uint32_t>(t.vertex[1]),
                                             static_cast<std::uint32_t>(t.vertex[2])};
                           });
    });
    std::vector<unsigned char> alone(fanStart.back(), 0);
    if (provable[0] && provable[1]) {
        std::vector<std::uint32_t> drawnNumber;
        drawnNumber.reserve(std::count(drawnFlag.begin(), drawnFlag.end(), 1));
        std::size_t kept = 0;
        for (std::uint32_t n = 0; n < corners.size(); ++n)
            if (drawnFlag[n]) {
                corners[kept++] = corners[n];
                drawnNumber.push_back(n);
            }
        corners.resize(kept);
        const std::vector<unsigned char> single = singleLayerTriangles(points, corners);
        for (std::size_t i = 0; i < single.size(); ++i)
            alone[drawnNumber[i]] = single[i];
    }
    std::vector<std::array<std::uint32_t, 3>>().swap(corners);

    // A face comes through whole when all its triangles lie alone; the others are listed.
    struct ListedHalf {
        std::vector<FanTriangle> triangles;
        std::vector<unsigned char> cover;
    } listed[2];
    Fans fans;
    fans.firstTriangle.assign(faces.size() + 1, 0);
    std::size_t secondHalf = faces.size(); // the first face of the second half
    runHalves(faces.size(), kThreadedFaceCount, [&](std::size_t begin, std::size_t end) {
        if (begin != 0)
            secondHalf = begin;
        ListedHalf& half = listed[begin == 0 ? 0 : 1];
        auto faceAlone = [&](std::size_t f) {
            for (std::size_t n = fanStart[f]; n < fanStart[f + 1]; ++n)
                if (!alone[n])
                    return false;
            return true;
        };
        std::size_t count = 0;
        for (std::size_t f = begin; f < end; ++f)
            if (!faceAlone(f))
                count += fanStart[f + 1] - fanStart[f];
        half.triangles.reserve(count);
        half.cover.reserve(count);
        for (std::size_t f = begin; f < end; ++f) {
            if (!faceAlone(f))
                forEachFanTriangle(input, clips, view, backFaces, f, f + 1, fanStart[f],
                                   [&](const FanTriangle& t, std::size_t n) {
                                       half.triangles.push_back(t);
                                       half.cover.push_back(alone[n] ? kUncovered : kPartlyCovered);
                                   });
            fans.firstTriangle[f + 1] = half.triangles.size();
        }
    });
    // The second half's numbers count on from the first half's end.
    for (std::size_t f = secondHalf + 1; f <= faces.size(); ++f)
        fans.firstTriangle[f] += listed[0].triangles.size();
    fans.triangles.reserve(listed[0].triangles.size() + listed[1].triangles.size());
    fans.cover.reserve(fans.triangles.capacity());
    for (ListedHalf& half : listed) {
        appendTo(fans.triangles, half.triangles);
        appendTo(fans.cover, half.cover);
    }
    return fans;
}

// The grid's fineness: about this many drawn triangles to a cell, at most this many cells a
// side (the cell numbers fit the entries' 16 bits).
constexpr double kTrianglesPerCell = 2;
constexpr int kMaxCellsPerSide = 2048;

// One drawn triangle as a cell lists it: what the search for occluders reads first, kept
// together so that a cell's list is read in order instead of fetching each triangle.
struct CellEntry {
    float minX, maxX, minY, maxY, minZ; // the box, rounded outwards: a first, loose test
    std::uint32_t triangle;
    std::uint16_t firstCellX, firstCellY; // the lowest cell its box meets
};

// The nearest float at or below (above) a double: boxes in floats that hold the exact ones.
float floatBelow(double value) {
    const float f = static_cast<float>(value);
    return static_cast<double>(f) <= value ? f : std::nextafter(f, -INFINITY);
}
float floatAbove(double value) {
    const float f = static_cast<float>(value);
    return static_cast<double>(f) >= value ? f : std::nextafter(f, INFINITY);
}

// The drawn triangles binned into screen cells by their bounding boxes.
class CellGrid {
  public:
    // listed: per triangle, whether the grid lists it (only drawn ones can be).
    CellGrid(const std::vector<FanTriangle>& triangles, const std::vector<unsigned char>& listed,
             const ViewTransform& view)
        : listed_(listed) {
        // The cells cover what the drawn triangles cover of the viewport (the window is its
        // middle third, and a model may reach well beyond the window), a few triangles to a
        // cell; what lies beyond the viewport falls into the border cells.
        const double viewX = view.viewport[0], viewY = view.viewport[1];
        const double viewW = std::max(1, view.viewport[2]);
        const double viewH = std::max(1, view.viewport[3]);
        double minX = viewX + viewW, maxX = viewX, minY = viewY + viewH, maxY = viewY;
        double drawn = 0, extent = 0;
        for (std::size_t i = 0; i < triangles.size(); ++i) {
            const FanTriangle& t = triangles[i];
            if (!listed_[i])
                continue;
            ++drawn;
            extent += std::min(t.maxX - t.minX, viewW) + std::min(t.maxY - t.minY, viewH);
            minX = std::min(minX, t.minX);
            maxX = std::max(maxX, t.maxX);
            minY = std::min(minY, t.minY);
            maxY = std::max(maxY, t.maxY);
        }
        minX = std::max(minX, viewX);
        maxX = std::min(maxX, viewX + viewW);
        minY = std::max(minY, viewY);
        maxY = std::min(maxY, viewY + viewH);
        if (!(minX < maxX && minY < maxY)) {
            minX = viewX;
            maxX = viewX + viewW;
            minY = viewY;
            maxY = viewY + viewH;
        }
        const double width = maxX - minX, height = maxY - minY;
        // Cells about the size of the listed triangles, or finer where they are spread thinly:
        // the listed triangles may crowd into a few places of the screen.
        const double spread = std::sqrt(width * height / std::max(1.0, drawn / kTrianglesPerCell));
        const double side = std::min(spread, std::max(extent / std::max(1.0, 2 * drawn), 1e-3));
        const int cellsX = std::clamp(static_cast<int>(width / side), 1, kMaxCellsPerSide);
        const int cellsY = std::clamp(static_cast<int>(height / side), 1, kMaxCellsPerSide);
        cells_ = {minX, minY, width / cellsX, height / cellsY, cellsX, cellsY};
        std::vector<std::uint32_t> counts(cells_.count() + 1, 0);
        forEachCellOf(triangles, [&](std::size_t, std::size_t cell) { ++counts[cell + 1]; });
        for (std::size_t i = 1; i < counts.size(); ++i)
            counts[i] += counts[i - 1];
        start_ = counts;
        members_.resize(counts.back());
        forEachCellOf(triangles, [&](std::size_t t, std::size_t cell) {
            const FanTriangle& tri = triangles[t];
            members_[counts[cell]++] = {floatBelow(tri.minX),
                                        floatAbove(tri.maxX),
                                        floatBelow(tri.minY),
                                        floatAbove(tri.maxY),
                                        floatBelow(tri.minZ),
                                        static_cast<std::uint32_t>(t),
                                        static_cast<std::uint16_t>(cells_.cellX(tri.minX)),
                                        static_cast<std::uint16_t>(cells_.cellY(tri.minY))};
        });
    }

    // Calls visit(entry) once for every triangle listed in the cells the box meets (in the
    // lowest cell that both its box and the query's meet) until visit returns true; returns
    // whether it did.
    template <typename Visit>
    bool anyInBox(double minX, double maxX, double minY, double maxY, Visit visit) const {
        const int cx0 = cells_.cellX(minX), cy0 = cells_.cellY(minY);
        return cells_.anyInBox(minX, maxX, minY, maxY, [&](int cx, int cy, std::size_t cell) {
            for (std::uint32_t i = start_[cell]; i < start_[cell + 1]; ++i) {
                const CellEntry& e = members_[i];
                if (std::max<int>(e.firstCellX, cx0) == cx &&
                    std::max<int>(e.firstCellY, cy0) == cy && visit(e))
                    return true;
            }
            return false;
        });
    }

  private:
    template <typename Add> void forEachCellOf(const std::vector<FanTriangle>& triangles, Add add) {
        for (std::size_t t = 0; t < triangles.size(); ++t) {
            const FanTriangle& tri = triangles[t];
            if (!listed_[t])
                continue;
            cells_.anyInBox(tri.minX, tri.maxX, tri.minY, tri.maxY,
                            [&](int, int, std::size_t cell) {
                                add(t, cell);
                                return false;
                            });
        }
    }

    const std::vector<unsigned char>& listed_;
    ScreenCells cells_;
    std::vector<std::uint32_t> start_;
    std::vector<CellEntry> members_;
};

// A convex polygon of a few corners (a triangle clipped by four half-planes has at most seven),
// kept without allocating: the cut clips millions of them.
struct Polygon {
    std::array<ScreenPoint, 8> corners;
    std::size_t count = 0;

    Polygon() = default;
    Polygon(std::initializer_list<ScreenPoint> points) {
        for (const ScreenPoint& p : points)
            push_back(p);
    }
    void push_back(const ScreenPoint& p) {
        if (count < corners.size())
            corners[count++] = p;
    }
    std::size_t size() const { return count; }
    bool empty() const { return count == 0; }
    const ScreenPoint& operator[](std::size_t i) const { return corners[i]; }
    const ScreenPoint* begin() const { return corners.data(); }
    const ScreenPoint* end() const { return corners.data() + count; }
};

// Keeps the part of poly where side(p) >= 0, side affine.
template <typename Side> Polygon clipBy(const Polygon& poly, Side side) {
    Polygon out;
    const std::size_t n = poly.size();
    for (std::size_t i = 0; i < n; ++i) {
        const ScreenPoint& a = poly[i];
        const ScreenPoint& b = poly[(i + 1) % n];
        const double sa = side(a), sb = side(b);
        if (sa >= 0)
            out.push_back(a);
        if ((sa >= 0) != (sb >= 0)) {
            const double t = sa / (sa - sb);
            out.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
        }
    }
    return out;
}

double twiceArea(const Polygon& poly) {
    double sum = 0;
    for (std::size_t i = 0; i < poly.size(); ++i) {
        const ScreenPoint& a = poly[i];
        const ScreenPoint& b = poly[(i + 1) % poly.size()];
        sum += a.x * b.y - b.x * a.y;
    }
    return sum;
}

Polygon counterClockwise(const FanTriangle& t) {
    if (t.area2 > 0)
        return {t.p[0], t.p[1], t.p[2]};
    return {t.p[0], t.p[2], t.p[1]};
}

// The part of target's screen triangle that occluder hides: inside both triangles, where the
// occluder is nearer (or as near and drawn first). Empty when none.
// targetPolygon: counterClockwise(target).
Polygon hiddenPart(const FanTriangle& target, const Polygon& targetPolygon, std::size_t targetIndex,
                   const FanTriangle& occluder, std::size_t occluderIndex) {
    Polygon poly = targetPolygon;
    const Polygon edges = counterClockwise(occluder);
    if (edges.size() != 3)
        return {};
    for (std::size_t e = 0; e < 3 && poly.size() >= 3; ++e) {
        const ScreenPoint a = edges[e], b = edges[(e + 1) % 3];
        poly = clipBy(poly, [&](const ScreenPoint& p) {
            return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
        });
    }
    if (poly.size() < 3 || !(twiceArea(poly) > kNoArea))
        return {};
    auto nearer = [&](const ScreenPoint& p) {
        return target.depthAt(p.x, p.y) - occluder.depthAt(p.x, p.y);
    };
    const bool tie = std::all_of(poly.begin(), poly.end(), [&](const ScreenPoint& p) {
        return std::abs(nearer(p)) <= kSameDepth;
    });
    if (tie)
        return occluderIndex < targetIndex ? poly : Polygon{};
    poly = clipBy(poly, nearer);
    if (poly.size() < 3 || !(twiceArea(poly) > kNoArea))
        return {};
    return poly;
}

// Some edge line of one triangle has the other wholly on its outer side or on it: their
// insides do not meet, so neither hides any of the other. Neighbours of a mesh that share an
// edge or only a corner end here instead of in the exact clip.
bool apart(const FanTriangle& a, const FanTriangle& b) {
    auto outside = [](const FanTriangle& edges, const FanTriangle& other) {
        const double turn = edges.area2 > 0 ? 1 : -1;
        for (int e = 0; e < 3; ++e) {
            const ScreenPoint p = edges.p[e], q = edges.p[(e + 1) % 3];
            bool all = true;
            for (int k = 0; k < 3 && all; ++k) {
                const ScreenPoint r = other.p[k];
                all = turn * ((q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x)) <= 0;
            }
            if (all)
                return true;
        }
        return false;
    };
    return outside(a, b) || outside(b, a);
}

ClipperLib::IntPoint onGrid(const ScreenPoint& p) {
    return {static_cast<ClipperLib::cInt>(std::llround(p.x * kTrimGrid)),
            static_cast<ClipperLib::cInt>(std::llround(p.y * kTrimGrid))};
}

ClipperLib::Path gridPath(const Polygon& poly) {
    ClipperLib::Path path;
    path.reserve(poly.size());
    for (const ScreenPoint& p : poly)
        path.push_back(onGrid(p));
    return path;
}

// A corner of a piece: a corner of its triangle (0..2), or a new point.
struct PieceCorner {
    int triangleCorner = -1;
    double x = 0, y = 0;
};

// Triangles of the GLU tessellator over a set of contours (non-zero winding).
class Tessellator {
  public:
    Tessellator() : tess_(gluNewTess()) {
        if (!tess_)
            return;
        gluTessCallback(tess_, GLU_TESS_BEGIN, reinterpret_cast<void(GLAPIENTRY*)()>(&begin));
        gluTessCallback(tess_, GLU_TESS_EDGE_FLAG, reinterpret_cast<void(GLAPIENTRY*)()>(&edge));
        gluTessCallback(tess_, GLU_TESS_VERTEX_DATA,
                        reinterpret_cast<void(GLAPIENTRY*)()>(&vertex));
        gluTessCallback(tess_, GLU_TESS_COMBINE_DATA,
                        reinterpret_cast<void(GLAPIENTRY*)()>(&combine));
        gluTessCallback(tess_, GLU_TESS_ERROR_DATA, reinterpret_cast<void(GLAPIENTRY*)()>(&error));
        gluTessProperty(tess_, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
        gluTessNormal(tess_, 0, 0, 1);
    }
    ~Tessellator() {
        if (tess_)
            gluDeleteTess(tess_);
    }
    Tessellator(const Tessellator&) = delete;
    Tessellator& operator=(const Tessellator&) = delete;

    // Triangles (3 points each, in points()) covering the contours; false on a tessellator error.
    bool run(const ClipperLib::Paths& contours) {
        points_.clear();
        triangles_.clear();
        failed_ = false;
        if (!tess_)
            return false;
        gluTessBeginPolygon(tess_, this);
        for (const ClipperLib::Path& path : contours) {
            gluTessBeginContour(tess_);
            for (const ClipperLib::IntPoint& p : path) {
                points_.push_back({p.X / kTrimGrid, p.Y / kTrimGrid, 0});
                gluTessVertex(tess_, points_.back().data(),
                              reinterpret_cast<void*>(points_.size()));
            }
            gluTessEndContour(tess_);
        }
        gluTessEndPolygon(tess_);
        return !failed_ && triangles_.size() % 3 == 0;
    }
    const std::deque<std::array<double, 3>>& points() const { return points_; }
    const std::vector<std::size_t>& triangles() const { return triangles_; } // point index + 1

  private:
    static void GLAPIENTRY begin(GLenum) {}
    static void GLAPIENTRY edge(GLboolean) {}
    static void GLAPIENTRY vertex(void* data, void* self) {
        static_cast<Tessellator*>(self)->triangles_.push_back(reinterpret_cast<std::size_t>(data));
    }
    static void GLAPIENTRY combine(GLdouble coords[3], void* [4], GLfloat[4], void** out,
                                   void* self) {
        Tessellator& t = *static_cast<Tessellator*>(self);
        t.points_.push_back({coords[0], coords[1], 0});
        *out = reinterpret_cast<void*>(t.points_.size());
    }
    static void GLAPIENTRY error(GLenum, void* self) {
        static_cast<Tessellator*>(self)->failed_ = true;
    }

    GLUtesselator* tess_;
    std::deque<std::array<double, 3>> points_; // stable addresses for gluTessVertex
    std::vector<std::size_t> triangles_;
    bool failed_ = false;
};

// What one range of faces contributes to the cut model. New vertices are numbered from 0 here
// and written as -(n + 1) in the corner lists until the ranges are joined.
struct CutRange {
    IndexLists faces, normalFaces, texCoordFaces;
    std::vector<int> sourceFace;
    std::vector<Vec3> positions, normals, colours;
    std::vector<Vec2> texCoords;
    std::vector<int> vertexSource; // per new vertex: the input vertex whose part labels it takes
};

struct Attributes {
    bool normals = false, texCoords = false, colours = false;
};

class RangeCutter {
  public:
    RangeCutter(const SimpleMesh& input, const Fans& fans, const CellGrid& grid,
                const Attributes& attributes)
        : input_(input), fans_(fans), grid_(grid), attributes_(attributes) {}

    // Marks kUncovered in cover (one entry per triangle, written only for the triangles of
    // faces [begin, end)) the triangles that nothing hides: the search for one ends at the
    // first part hidden. An uncovered triangle stays uncovered when fewer occluders are tried,
    // so the cut need not search for it again.
    void findUncovered(std::size_t begin, std::size_t end, std::vector<unsigned char>& cover) {
        for (std::size_t t = fans_.firstTriangle[begin]; t < fans_.firstTriangle[end]; ++t) {
            if (!fans_.triangles[t].drawn || cover[t] == kUncovered)
                continue;
            const FanTriangle& tri = fans_.triangles[t];
            const Polygon target = counterClockwise(tri);
            const bool hidden =
                grid_.anyInBox(tri.minX, tri.maxX, tri.minY, tri.maxY, [&](const CellEntry& e) {
                    const FanTriangle* o = mayHide(e, t, nullptr);
                    return o && !hiddenPart(tri, target, t, *o, e.triangle).empty();
                });
            if (!hidden)
                cover[t] = kUncovered;
        }
    }

    // Marks kBuried in then the triangles of faces [begin, end) that first leaves partly
    // covered and that the uncovered triangles hide whole. A buried triangle hides nothing that
    // the triangles in front of it do not hide too, so the cut leaves it out as an occluder.
    // Uncovered triangles never overlap one another (of two that did, one would hide part of the
    // other), so the areas they hide add up without counting any twice.
    void findBuried(std::size_t begin, std::size_t end, const std::vector<unsigned char>& first,
                    std::vector<unsigned char>& then) {
        for (std::size_t t = fans_.firstTriangle[begin]; t < fans_.firstTriangle[end]; ++t) {
            if (!fans_.triangles[t].drawn || first[t] != kPartlyCovered)
                continue;
            const FanTriangle& tri = fans_.triangles[t];
            const Polygon target = counterClockwise(tri);
            const double whole = std::abs(tri.area2) * (1 - 1e-9);
            double hidden = 0;
            grid_.anyInBox(tri.minX, tri.maxX, tri.minY, tri.maxY, [&](const CellEntry& e) {
                if (first[e.triangle] != kUncovered)
                    return false;
                if (const FanTriangle* o = mayHide(e, t, nullptr)) {
                    const Polygon part = hiddenPart(tri, target, t, *o, e.triangle);
                    if (!part.empty())
                        hidden += twiceArea(part);
                }
                return hidden >= whole;
            });
            if (hidden >= whole)
                then[t] = kBuried;
        }
    }
    void useCover(const std::vector<unsigned char>* cover) { cover_ = cover; }

    void cutFaces(std::size_t begin, std::size_t end, CutRange& out) {
        // Most faces come through whole: room for them all from the start.
        const std::vector<std::uint32_t>& offsets = input_.faces.get().offsets();
        const std::size_t corners = offsets[end] - offsets[begin];
        out.faces.reserve(end - begin, corners);
        if (attributes_.normals)
            out.normalFaces.reserve(end - begin, corners);
        if (attributes_.texCoords)
            out.texCoordFaces.reserve(end - begin, corners);
        out.sourceFace.reserve(end - begin);
        for (std::size_t f = begin; f < end; ++f)
            cutFace(f, out);
    }

  private:
    void cutFace(std::size_t f, CutRange& out) {
        const std::size_t first = fans_.firstTriangle[f], last = fans_.firstTriangle[f + 1];
        bool anyHidden = false, allCulled = true;
        std::vector<std::vector<Polygon>>& hidden = hidden_;
        hidden.assign(last - first, {});
        // Buried triangles are known to be hidden whole from the searches before the cut.
        std::vector<unsigned char>& buried = buried_;
        buried.assign(last - first, 0);
        for (std::size_t t = first; t < last; ++t) {
            const FanTriangle& tri = fans_.triangles[t];
            allCulled = allCulled && tri.culled;
            if (!tri.cuttable)
                continue;
            if (cover_ && (*cover_)[t] == kBuried) {
                buried[t - first] = 1;
                anyHidden = true;
                continue;
            }
            if (!cover_ || (*cover_)[t] != kUncovered)
                hidden[t - first] = hiddenParts(t, cover_);
            anyHidden = anyHidden || !hidden[t - first].empty();
        }
        if (!anyHidden) {
            // Nothing covers it: it comes through as it is, unless it is turned away.
            if (!allCulled || first == last)
                copyFace(f, out);
            return;
        }
        for (std::size_t t = first; t < last; ++t) {
            const FanTriangle& tri = fans_.triangles[t];
            if (tri.culled || buried[t - first])
                continue;
            if (hidden[t - first].empty())
                addTriangle(tri, {PieceCorner{0}, PieceCorner{1}, PieceCorner{2}}, out);
            else
                addVisiblePart(tri, hidden[t - first], out);
        }
    }

    // The triangle a grid entry lists when it may hide some of triangle t (their boxes overlap,
    // it is not wholly behind, their insides may meet), else null. cover, when given, leaves
    // out the triangles it marks kBuried.
    const FanTriangle* mayHide(const CellEntry& e, std::size_t t,
                               const std::vector<unsigned char>* cover) const {
        const FanTriangle& tri = fans_.triangles[t];
        const std::size_t c = e.triangle;
        if (c == t || e.minX >= tri.maxX || e.maxX <= tri.minX || e.minY >= tri.maxY ||
            e.maxY <= tri.minY || e.minZ > tri.maxZ + kSameDepth ||
            (cover && (*cover)[c] == kBuried))
            return nullptr;
        const FanTriangle& o = fans_.triangles[c];
        if (o.minX >= tri.maxX || o.maxX <= tri.minX || o.minY >= tri.maxY || o.maxY <= tri.minY ||
            o.minZ > tri.maxZ + kSameDepth || apart(tri, o))
            return nullptr;
        return &o;
    }

    // The parts of triangle t that others hide. When one of them hides it whole, that one
    // alone (candidates are tried nearest first, so in a deep pile the front one ends it).
    // cover, when given, leaves out the triangles it marks kBuried.
    std::vector<Polygon> hiddenParts(std::size_t t, const std::vector<unsigned char>* cover) {
        const FanTriangle& tri = fans_.triangles[t];
        candidates_.clear();
        grid_.anyInBox(tri.minX, tri.maxX, tri.minY, tri.maxY, [&](const CellEntry& e) {
            if (const FanTriangle* o = mayHide(e, t, cover))
                candidates_.push_back({o->minZ, e.triangle});
            return false;
        });
        std::sort(candidates_.begin(), candidates_.end(),
                  [](const Candidate& a, const Candidate& b) {
                      return a.minZ < b.minZ || (a.minZ == b.minZ && a.triangle < b.triangle);
                  });
        const double whole = std::abs(tri.area2) * (1 - 1e-9);
        std::vector<Polygon> parts;
        const Polygon target = counterClockwise(tri);
        for (const Candidate& candidate : candidates_) {
            const std::uint32_t c = candidate.triangle;
            Polygon part = hiddenPart(tri, target, t, fans_.triangles[c], c);
            if (part.empty())
                continue;
            if (twiceArea(part) >= whole) {
                parts.assign(1, std::move(part));
                break;
            }
            parts.push_back(std::move(part));
        }
        return parts;
    }

    void addVisiblePart(const FanTriangle& tri, const std::vector<Polygon>& hidden, CutRange& out) {
        ClipperLib::Clipper& clipper = clipper_;
        clipper.Clear();
        const ClipperLib::Path subject = gridPath(counterClockwise(tri));
        clipper.AddPath(subject, ClipperLib::ptSubject, true);
        for (const Polygon& part : hidden) {
            ClipperLib::Path path = gridPath(part);
            if (ClipperLib::Area(path) != 0)
                clipper.AddPath(path, ClipperLib::ptClip, true);
        }
        ClipperLib::Paths visible;
        if (!clipper.Execute(ClipperLib::ctDifference, visible, ClipperLib::pftNonZero,
                             ClipperLib::pftNonZero))
            return;
        if (visible.empty() || !tessellator_.run(visible))
            return;
        const std::vector<std::size_t>& triangles = tessellator_.triangles();
        const auto& points = tessellator_.points();
        for (std::size_t i = 0; i + 2 < triangles.size(); i += 3) {
            std::array<PieceCorner, 3> piece;
            for (int k = 0; k < 3; ++k) {
                const auto& q = points[triangles[i + k] - 1];
                piece[k] = {cornerAt(tri, q[0], q[1]), q[0], q[1]};
            }
            const double area = (piece[1].x - piece[0].x) * (piece[2].y - piece[0].y) -
                                (piece[2].x - piece[0].x) * (piece[1].y - piece[0].y);
            if (area == 0)
                continue;
            // Pieces turn the way their triangle turns, so culling treats them alike.
            if ((area > 0) != (tri.area2 > 0))
                std::swap(piece[1], piece[2]);
            addTriangle(tri, piece, out);
        }
    }

    // The corner of tri whose grid point is (x, y), or -1.
    static int cornerAt(const FanTriangle& tri, double x, double y) {
        const ClipperLib::IntPoint q = onGrid({x, y});
        for (int k = 0; k < 3; ++k) {
            const ClipperLib::IntPoint c = onGrid(tri.p[k]);
            if (c.X == q.X && c.Y == q.Y)
                return k;
        }
        return -1;
    }

    void copyFace(std::size_t f, CutRange& out) {
        out.faces.push_back(input_.faces.get()[f]);
        if (attributes_.normals)
            out.normalFaces.push_back(input_.normalFaces.get()[f]);
        if (attributes_.texCoords)
            out.texCoordFaces.push_back(input_.texCoordFaces.get()[f]);
        out.sourceFace.push_back(static_cast<int>(f));
    }

    void addTriangle(const FanTriangle& tri, const std::array<PieceCorner, 3>& piece,
                     CutRange& out) {
        std::array<int, 3> v, n, tc;
        for (int k = 0; k < 3; ++k) {
            const int c = piece[k].triangleCorner;
            if (c >= 0) {
                const int corner = tri.corner[c];
                v[k] = tri.vertex[c];
                n[k] = attributes_.normals ? input_.normalFaces.get()[tri.face][corner] : 0;
                tc[k] = attributes_.texCoords ? input_.texCoordFaces.get()[tri.face][corner] : 0;
            } else {
                const int index = addVertex(tri, piece[k].x, piece[k].y, out);
                v[k] = n[k] = tc[k] = -(index + 1);
            }
        }
        out.faces.push_back(v);
        if (attributes_.normals)
            out.normalFaces.push_back(n);
        if (attributes_.texCoords)
            out.texCoordFaces.push_back(tc);
        out.sourceFace.push_back(tri.face);
    }

    // A new vertex on tri's plane on the line of sight through window point (x, y): screen
    // weights turned into weights on the triangle in space (divided by each corner's w).
    int addVertex(const FanTriangle& tri, double x, double y, CutRange& out) {
        const std::array<double, 3> screen = tri.weights(x, y);
        std::array<double, 3> mu;
        double sum = 0;
        for (int k = 0; k < 3; ++k)
            sum += mu[k] = screen[k] / tri.w[k];
        int nearest = 0;
        for (int k = 0; k < 3; ++k) {
            mu[k] /= sum;
            if (mu[k] > mu[nearest])
                nearest = k;
        }
        const std::vector<Vec3>& vertices = input_.vertices;
        auto mix3 = [&](auto get) {
            double x3 = 0, y3 = 0, z3 = 0;
            for (int k = 0; k < 3; ++k) {
                const Vec3 a = get(k);
                x3 += mu[k] * a.x;
                y3 += mu[k] * a.y;
                z3 += mu[k] * a.z;
            }
            return Vec3{static_cast<float>(x3), static_cast<float>(y3), static_cast<float>(z3)};
        };
        out.positions.push_back(mix3([&](int k) { return vertices[tri.vertex[k]]; }));
        if (attributes_.normals) {
            Vec3 normal = mix3([&](int k) {
                return input_.normals.get()[input_.normalFaces.get()[tri.face][tri.corner[k]]];
            });
            const float len = length(normal);
            if (len > 0)
                normal = {normal.x / len, normal.y / len, normal.z / len};
            out.normals.push_back(normal);
        }
        if (attributes_.texCoords) {
            double u = 0, t = 0;
            for (int k = 0; k < 3; ++k) {
                const Vec2 c =
                    input_.texCoords.get()[input_.texCoordFaces.get()[tri.face][tri.corner[k]]];
                u += mu[k] * c.u;
                t += mu[k] * c.v;
            }
            out.texCoords.push_back({static_cast<float>(u), static_cast<float>(t)});
        }
        if (attributes_.colours)
            out.colours.push_back(
                mix3([&](int k) { return input_.vertexColours.get()[tri.vertex[k]]; }));
        out.vertexSource.push_back(tri.vertex[nearest]);
        return static_cast<int>(out.positions.size() - 1);
    }

    const SimpleMesh& input_;
    const Fans& fans_;
    const CellGrid& grid_;
    Attributes attributes_;
    std::vector<std::vector<Polygon>> hidden_;
    std::vector<unsigned char> buried_;
    // A triangle that may hide the one searched for, with its nearest depth (the search order).
    struct Candidate {
        double minZ;
        std::uint32_t triangle;
    };
    std::vector<Candidate> candidates_;
    ClipperLib::Clipper clipper_;
    const std::vector<unsigned char>* cover_ = nullptr;
    Tessellator tessellator_;
};

// Every index list of a face names something that exists: the attribute's corner lists are
// usable only then.
bool listsFit(const IndexLists& lists, const IndexLists& faces, std::size_t count) {
    if (lists.size() != faces.size())
        return false;
    for (std::size_t f = 0; f < faces.size(); ++f) {
        if (lists.count(f) != faces.count(f))
            return false;
        for (int i : lists[f])
            if (!isIndex(i, count))
                return false;
    }
    return true;
}

// Moves one range's lists onto the end of to, new indices (negative) moved to base + n.
void appendLists(IndexLists& to, IndexLists&& from, int base) {
    for (std::size_t f = 0; f < from.size(); ++f)
        for (int& i : from[f])
            if (i < 0)
                i = base + (-i - 1);
    if (to.empty())
        to = std::move(from);
    else
        to.append(from);
}

// source followed by the ranges' member, in one allocation.
template <typename T, typename Member>
std::vector<T> joined(const std::vector<T>& source, CutRange (&ranges)[2], Member member) {
    std::vector<T> out;
    out.reserve(source.size() + (ranges[0].*member).size() + (ranges[1].*member).size());
    out = source;
    for (CutRange& r : ranges)
        out.insert(out.end(), (r.*member).begin(), (r.*member).end());
    return out;
}

} // namespace

TrimmedModel trimToVisible(const SimpleMesh& input, const ViewTransform& view, bool backFaces,
                           const StepProgress& progress) {
    auto step = [&](const char* name, double fraction) {
        if (progress)
            progress(name, fraction);
    };
    step("finding the faces nothing covers", 0);
    const Fans fans = buildFans(input, view, backFaces);
    step("finding what covers the others", 0.3);
    std::vector<unsigned char> cover = fans.cover;
    std::vector<unsigned char> listed(fans.triangles.size());
    for (std::size_t t = 0; t < listed.size(); ++t)
        listed[t] = fans.triangles[t].drawn && cover[t] != kUncovered;
    const CellGrid grid(fans.triangles, listed, view);
    Attributes attributes;
    attributes.normals = listsFit(input.normalFaces, input.faces, input.normals.size());
    attributes.texCoords = listsFit(input.texCoordFaces, input.faces, input.texCoords.size());
    attributes.colours = input.vertexColours.size() == input.vertices.size();

    const std::size_t faceCount = input.faces.size();
    CutRange ranges[2];
    runHalves(faceCount, kThreadedFaceCount, [&](std::size_t begin, std::size_t end) {
        RangeCutter(input, fans, grid, attributes).findUncovered(begin, end, cover);
    });
    {
        std::vector<unsigned char> then = cover;
        runHalves(faceCount, kThreadedFaceCount, [&](std::size_t begin, std::size_t end) {
            RangeCutter(input, fans, grid, attributes).findBuried(begin, end, cover, then);
        });
        cover = std::move(then);
    }
    step("cutting the covered faces", 0.75);
    runHalves(faceCount, kThreadedFaceCount, [&](std::size_t begin, std::size_t end) {
        RangeCutter cutter(input, fans, grid, attributes);
        cutter.useCover(&cover);
        cutter.cutFaces(begin, end, ranges[begin == 0 ? 0 : 1]);
    });

    step("joining the pieces", 0.9);
    TrimmedModel result;
    SimpleMesh& mesh = result.mesh;
    mesh = input;
    IndexLists faces, normalFaces, texCoordFaces;
    int newPositions = static_cast<int>(input.vertices.size()),
        newNormals = static_cast<int>(input.normals.size()),
        newTexCoords = static_cast<int>(input.texCoords.size());
    for (CutRange& r : ranges) {
        appendLists(faces, std::move(r.faces), newPositions);
        appendLists(normalFaces, std::move(r.normalFaces), newNormals);
        appendLists(texCoordFaces, std::move(r.texCoordFaces), newTexCoords);
        newPositions += static_cast<int>(r.positions.size());
        newNormals += static_cast<int>(r.normals.size());
        newTexCoords += static_cast<int>(r.texCoords.size());
    }
    std::vector<Vec3> positions = joined(input.vertices.get(), ranges, &CutRange::positions);
    std::vector<Vec3> normals = joined(input.normals.get(), ranges, &CutRange::normals);
    std::vector<Vec2> texCoords = joined(input.texCoords.get(), ranges, &CutRange::texCoords);
    std::vector<Vec3> colours = joined(input.vertexColours.get(), ranges, &CutRange::colours);
    result.newVertexSource = joined(std::vector<int>{}, ranges, &CutRange::vertexSource);
    result.sourceFace = joined(std::vector<int>{}, ranges, &CutRange::sourceFace);
    mesh.vertices = std::move(positions);
    // Corner lists that did not fit the faces could not follow the pieces: left out.
    mesh.normalFaces = std::move(normalFaces);
    mesh.texCoordFaces = std::move(texCoordFaces);
    if (attributes.normals)
        mesh.normals = std::move(normals);
    if (attributes.texCoords)
        mesh.texCoords = std::move(texCoords);
    if (attributes.colours)
        mesh.vertexColours = std::move(colours);
    mesh.faces = std::move(faces);
    takeSelection(result, input);
    return result;
}

void takeSelection(TrimmedModel& cut, const SimpleMesh& input) {
    // Everything of the input's but the cut's geometry.
    SimpleMesh mesh = input;
    mesh.vertices = cut.mesh.vertices;
    mesh.normals = cut.mesh.normals;
    mesh.texCoords = cut.mesh.texCoords;
    mesh.vertexColours = cut.mesh.vertexColours;
    mesh.faces = cut.mesh.faces;
    mesh.normalFaces = cut.mesh.normalFaces;
    mesh.texCoordFaces = cut.mesh.texCoordFaces;
    const std::size_t faceCount = input.faces.size();
    auto perFace = [&](const std::vector<int>& values) {
        if (values.size() != faceCount)
            return values;
        std::vector<int> out(cut.sourceFace.size());
        for (std::size_t f = 0; f < out.size(); ++f)
            out[f] = values[cut.sourceFace[f]];
        return out;
    };
    mesh.facePart = perFace(input.facePart);
    mesh.faceVisible = perFace(input.faceVisible);
    mesh.faceMaterial =
        input.faceMaterial.empty() ? input.faceMaterial : Shared(perFace(input.faceMaterial));
    // Vertices of the input keep their labels (none past the labels' end), new ones take
    // their source's.
    const std::size_t n = input.vertices.size();
    auto perVertex = [&](const std::vector<int>& values) {
        std::vector<int> out(values.begin(), values.begin() + std::min(values.size(), n));
        out.resize(n, 0);
        out.reserve(n + cut.newVertexSource.size());
        for (int source : cut.newVertexSource)
            out.push_back(isIndex(source, values.size()) ? values[source] : 0);
        return out;
    };
    mesh.vertexPart = perVertex(input.vertexPart);
    mesh.vertexInPart = perVertex(input.vertexInPart);
    cut.mesh = std::move(mesh);
}
