#include "selection/screen_layers.h"

#include "mesh/parallel.h"
#include "selection/screen_cells.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

// Triangles closer to an outline edge than this (pixels) are left to the caller: the count of
// layers is proven only for triangles well clear of the outline, far beyond rounding.
constexpr double kClearance = 1e-6;

// Below this many triangles a second thread costs more than it saves.
constexpr std::size_t kTwoThreads = 20000;

using Triangle = std::array<std::uint32_t, 3>;
constexpr std::uint32_t kNone = UINT32_MAX;

double cross(const WindowPoint& o, const WindowPoint& a, const WindowPoint& b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// Numbers the distinct window positions the triangles use: weld[v] is vertex v's point number,
// points of the same position share one.
struct Welded {
    std::vector<std::uint32_t> weld; // per vertex (kNone where unused)
    std::vector<WindowPoint> at;     // per point number
};

std::uint64_t bitsOf(double value) {
    value += 0.0; // -0 and +0 are the same position
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

Welded weldPositions(std::span<const WindowPoint> points, std::span<const Triangle> triangles) {
    Welded w;
    w.weld.assign(points.size(), kNone);
    std::size_t slots = 16;
    while (slots < 2 * std::min(points.size(), 3 * triangles.size()))
        slots *= 2;
    std::vector<std::uint32_t> table(slots, kNone); // point numbers by hashed position
    const std::size_t mask = slots - 1;
    for (const Triangle& t : triangles)
        for (std::uint32_t v : t) {
            if (w.weld[v] != kNone)
                continue;
            const WindowPoint p = points[v];
            const std::uint64_t x = bitsOf(p.x), y = bitsOf(p.y);
            std::size_t slot =
                static_cast<std::size_t>((x * 0x9E3779B97F4A7C15ull) ^ (y * 0xC2B2AE3D27D4EB4Full) ^
                                         ((x ^ y) >> 29)) &
                mask;
            while (table[slot] != kNone) {
                const WindowPoint q = w.at[table[slot]];
                if (bitsOf(q.x) == x && bitsOf(q.y) == y)
                    break;
                slot = (slot + 1) & mask;
            }
            if (table[slot] == kNone) {
                table[slot] = static_cast<std::uint32_t>(w.at.size());
                w.at.push_back(p);
            }
            w.weld[v] = table[slot];
        }
    return w;
}

// An edge of the outline: from a to b, counted weight times.
struct OutlineEdge {
    WindowPoint a, b;
    int weight;
};

// The triangles' edges, each triangle counter-clockwise, summed per pair of points: what does
// not cancel is the outline.
std::vector<OutlineEdge> outlineOf(const Welded& w, std::span<const Triangle> triangles) {
    const std::size_t pointCount = w.at.size();
    std::vector<std::uint32_t> start(pointCount + 1, 0);
    auto forEachEdge = [&](auto visit) {
        for (const Triangle& t : triangles) {
            std::uint32_t c[3] = {w.weld[t[0]], w.weld[t[1]], w.weld[t[2]]};
            if (cross(w.at[c[0]], w.at[c[1]], w.at[c[2]]) < 0)
                std::swap(c[1], c[2]);
            for (int k = 0; k < 3; ++k)
                visit(c[k], c[(k + 1) % 3]);
        }
    };
    forEachEdge([&](std::uint32_t u, std::uint32_t v) { ++start[std::min(u, v) + 1]; });
    for (std::size_t i = 1; i <= pointCount; ++i)
        start[i] += start[i - 1];
    // Per lower point: the higher point, shifted left, with the direction in the lowest bit.
    const std::unique_ptr<std::uint64_t[]> ends(new std::uint64_t[start.back()]); // all written
    std::vector<std::uint32_t> fill(start.begin(), start.end() - 1);
    forEachEdge([&](std::uint32_t u, std::uint32_t v) {
        const std::uint32_t low = std::min(u, v), high = std::max(u, v);
        ends[fill[low]++] = (std::uint64_t{high} << 1) | (u < v ? 1 : 0);
    });
    std::vector<OutlineEdge> outline;
    for (std::size_t low = 0; low < pointCount; ++low) {
        std::uint64_t* first = ends.get() + start[low];
        std::uint64_t* last = ends.get() + start[low + 1];
        std::sort(first, last);
        for (std::uint64_t* run = first; run != last;) {
            const std::uint64_t high = *run >> 1;
            int sum = 0;
            for (; run != last && (*run >> 1) == high; ++run)
                sum += (*run & 1) ? 1 : -1;
            if (sum > 0)
                outline.push_back({w.at[low], w.at[high], sum});
            else if (sum < 0)
                outline.push_back({w.at[high], w.at[low], -sum});
        }
    }
    return outline;
}

// The outline edge may come within kClearance of the triangle (corners p, counter-clockwise):
// no edge line of either has the other wholly beyond it by more than kClearance. Where they
// are farther apart only along the line between two corners, they count as near too, which
// leaves a triangle to the search and costs nothing but time.
bool near(const OutlineEdge& e, const std::array<WindowPoint, 3>& p) {
    const double length = std::hypot(e.b.x - e.a.x, e.b.y - e.a.y);
    const double margin = kClearance * length;
    const double d0 = cross(e.a, e.b, p[0]), d1 = cross(e.a, e.b, p[1]), d2 = cross(e.a, e.b, p[2]);
    if ((d0 > margin && d1 > margin && d2 > margin) ||
        (d0 < -margin && d1 < -margin && d2 < -margin))
        return false;
    for (int k = 0; k < 3; ++k) {
        const WindowPoint& c = p[k];
        const WindowPoint& d = p[(k + 1) % 3];
        const double edgeMargin = kClearance * std::hypot(d.x - c.x, d.y - c.y);
        if (cross(c, d, e.a) < -edgeMargin && cross(c, d, e.b) < -edgeMargin)
            return false;
    }
    return true;
}

// Outline edges binned into square cells, each edge listed in every cell it passes through.
class EdgeCells {
  public:
    EdgeCells(const std::vector<OutlineEdge>& edges, const std::vector<WindowPoint>& points,
              std::size_t triangleCount) {
        double minX = points[0].x, maxX = minX, minY = points[0].y, maxY = minY;
        for (const WindowPoint& p : points) {
            minX = std::min(minX, p.x);
            maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y);
            maxY = std::max(maxY, p.y);
        }
        const double width = maxX - minX, height = maxY - minY;
        // About four triangles to a cell, at most 2048 cells a side.
        const double cells = std::max(1.0, triangleCount / 4.0);
        double side = std::sqrt(std::max(width * height, 1e-12) / cells);
        side = std::max({side, width / 2048, height / 2048, 1e-9});
        cells_ = {minX,
                  minY,
                  side,
                  side,
                  std::clamp(static_cast<int>(std::ceil(width / side)), 1, 2048),
                  std::clamp(static_cast<int>(std::ceil(height / side)), 1, 2048)};
        const std::size_t cellCount = cells_.count();
        std::vector<std::uint32_t> count(cellCount + 1, 0), stamp(cellCount, kNone);
        forEachCellOf(edges, stamp, [&](std::uint32_t, std::size_t cell) { ++count[cell + 1]; });
        for (std::size_t i = 1; i <= cellCount; ++i)
            count[i] += count[i - 1];
        start_ = count;
        members_.resize(count.back());
        std::fill(stamp.begin(), stamp.end(), kNone);
        forEachCellOf(edges, stamp,
                      [&](std::uint32_t e, std::size_t cell) { members_[count[cell]++] = e; });
    }

    // Calls visit(edge) for the edges listed in the cells that the box meets; returns true as
    // soon as visit does.
    template <typename Visit>
    bool anyInBox(double minX, double maxX, double minY, double maxY, Visit visit) const {
        return cells_.anyInBox(minX, maxX, minY, maxY, [&](int, int, std::size_t cell) {
            for (std::uint32_t i = start_[cell]; i < start_[cell + 1]; ++i)
                if (visit(members_[i]))
                    return true;
            return false;
        });
    }

  private:
    // Every cell an edge passes through: points along it at most half a cell apart, each with
    // the cells round it (a cell the edge crosses is next to the cell of a nearby point).
    template <typename Add>
    void forEachCellOf(const std::vector<OutlineEdge>& edges, std::vector<std::uint32_t>& stamp,
                       Add add) const {
        for (std::uint32_t e = 0; e < edges.size(); ++e) {
            const OutlineEdge& edge = edges[e];
            const double length = std::hypot(edge.b.x - edge.a.x, edge.b.y - edge.a.y);
            const int steps = 1 + static_cast<int>(std::min(length / (cells_.cellW / 2), 1e7));
            for (int s = 0; s <= steps; ++s) {
                const double t = static_cast<double>(s) / steps;
                const int cx = cells_.cellX(edge.a.x + t * (edge.b.x - edge.a.x));
                const int cy = cells_.cellY(edge.a.y + t * (edge.b.y - edge.a.y));
                for (int y = std::max(0, cy - 1); y <= std::min(cells_.cellsY - 1, cy + 1); ++y)
                    for (int x = std::max(0, cx - 1); x <= std::min(cells_.cellsX - 1, cx + 1);
                         ++x) {
                        const std::size_t cell = cells_.cell(x, y);
                        if (stamp[cell] == e)
                            continue;
                        stamp[cell] = e;
                        add(e, cell);
                    }
            }
        }
    }

    ScreenCells cells_;
    std::vector<std::uint32_t> start_, members_;
};

// Winding numbers of the outline round points, by casting a ray to the right through the
// edges of the point's horizontal band.
class WindingCounter {
  public:
    explicit WindingCounter(const std::vector<OutlineEdge>& edges) : edges_(edges) {
        if (edges.empty())
            return;
        y0_ = y1_ = edges[0].a.y;
        for (const OutlineEdge& e : edges) {
            y0_ = std::min({y0_, e.a.y, e.b.y});
            y1_ = std::max({y1_, e.a.y, e.b.y});
        }
        // Fewer bands where tall edges would be listed in too many of them.
        for (bands_ = std::clamp<int>(static_cast<int>(edges.size() / 8), 1, 1024);; bands_ /= 2) {
            std::size_t listed = 0;
            for (const OutlineEdge& e : edges)
                listed += bandOf(std::max(e.a.y, e.b.y)) - bandOf(std::min(e.a.y, e.b.y)) + 1;
            if (bands_ == 1 || listed <= 16 * edges.size() + (1u << 20))
                break;
        }
        std::vector<std::uint32_t> count(bands_ + 1, 0);
        auto forEachBand = [&](auto visit) {
            for (std::uint32_t i = 0; i < edges.size(); ++i) {
                const OutlineEdge& e = edges[i];
                for (int b = bandOf(std::min(e.a.y, e.b.y)); b <= bandOf(std::max(e.a.y, e.b.y));
                     ++b)
                    visit(i, b);
            }
        };
        forEachBand([&](std::uint32_t, int b) { ++count[b + 1]; });
        for (int b = 1; b <= bands_; ++b)
            count[b] += count[b - 1];
        start_ = count;
        members_.resize(count.back());
        forEachBand([&](std::uint32_t i, int b) { members_[count[b]++] = i; });
    }

    int windingAround(const WindowPoint& p) const {
        if (edges_.empty())
            return 0;
        const int band = bandOf(p.y);
        int winding = 0;
        for (std::uint32_t i = start_[band]; i < start_[band + 1]; ++i) {
            const OutlineEdge& e = edges_[members_[i]];
            if ((e.a.y <= p.y) == (e.b.y <= p.y))
                continue;
            const double x = e.a.x + (p.y - e.a.y) * (e.b.x - e.a.x) / (e.b.y - e.a.y);
            if (x > p.x)
                winding += e.b.y > e.a.y ? e.weight : -e.weight;
        }
        return winding;
    }

  private:
    int bandOf(double y) const {
        if (!(y1_ > y0_))
            return 0;
        return static_cast<int>(
            std::clamp(std::floor((y - y0_) / (y1_ - y0_) * bands_), 0.0, bands_ - 1.0));
    }

    const std::vector<OutlineEdge>& edges_;
    double y0_ = 0, y1_ = 0;
    int bands_ = 1;
    std::vector<std::uint32_t> start_, members_;
};

std::uint32_t findRoot(std::vector<std::uint32_t>& parent, std::uint32_t i) {
    while (parent[i] != i) {
        parent[i] = parent[parent[i]];
        i = parent[i];
    }
    return i;
}

} // namespace

std::vector<unsigned char> singleLayerTriangles(std::span<const WindowPoint> points,
                                                std::span<const Triangle> triangles) {
    std::vector<unsigned char> single(triangles.size(), 0);
    if (triangles.empty())
        return single;
    const Welded welded = weldPositions(points, triangles);
    const std::vector<OutlineEdge> outline = outlineOf(welded, triangles);

    // Triangles clear of the outline; points joined where such triangles meet.
    std::vector<unsigned char> clear(triangles.size(), 0);
    {
        const EdgeCells cells(outline, welded.at, triangles.size());
        runHalves(triangles.size(), kTwoThreads, [&](std::size_t begin, std::size_t end) {
            for (std::size_t t = begin; t < end; ++t) {
                std::array<WindowPoint, 3> p = {welded.at[welded.weld[triangles[t][0]]],
                                                welded.at[welded.weld[triangles[t][1]]],
                                                welded.at[welded.weld[triangles[t][2]]]};
                if (cross(p[0], p[1], p[2]) < 0)
                    std::swap(p[1], p[2]);
                const double minX = std::min({p[0].x, p[1].x, p[2].x}) - kClearance;
                const double maxX = std::max({p[0].x, p[1].x, p[2].x}) + kClearance;
                const double minY = std::min({p[0].y, p[1].y, p[2].y}) - kClearance;
                const double maxY = std::max({p[0].y, p[1].y, p[2].y}) + kClearance;
                clear[t] = !cells.anyInBox(minX, maxX, minY, maxY, [&](std::uint32_t e) {
                    const OutlineEdge& edge = outline[e];
                    if (std::max(edge.a.x, edge.b.x) < minX ||
                        std::min(edge.a.x, edge.b.x) > maxX ||
                        std::max(edge.a.y, edge.b.y) < minY || std::min(edge.a.y, edge.b.y) > maxY)
                        return false;
                    return near(edge, p);
                });
            }
        });
    }
    // Triangles clear of the outline that touch lie in one stretch clear of it, over which the
    // number of layers stays the same: one count for each stretch.
    std::vector<std::uint32_t> parent(welded.at.size());
    for (std::uint32_t i = 0; i < parent.size(); ++i)
        parent[i] = i;
    for (std::size_t t = 0; t < triangles.size(); ++t)
        if (clear[t]) {
            const std::uint32_t a = findRoot(parent, welded.weld[triangles[t][0]]);
            for (int k = 1; k < 3; ++k) {
                const std::uint32_t b = findRoot(parent, welded.weld[triangles[t][k]]);
                if (a != b)
                    parent[b] = a;
            }
        }
    const WindingCounter counter(outline);
    std::vector<int> layers(welded.at.size(), INT_MIN); // per stretch's root, once counted
    for (std::size_t t = 0; t < triangles.size(); ++t) {
        if (!clear[t])
            continue;
        int& count = layers[findRoot(parent, welded.weld[triangles[t][0]])];
        if (count == INT_MIN) {
            const WindowPoint& a = welded.at[welded.weld[triangles[t][0]]];
            const WindowPoint& b = welded.at[welded.weld[triangles[t][1]]];
            const WindowPoint& c = welded.at[welded.weld[triangles[t][2]]];
            count = counter.windingAround({(a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3});
        }
        single[t] = count == 1;
    }
    return single;
}
