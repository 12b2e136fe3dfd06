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

std::uint64_t bitsOf(double value) {
    value += 0.0; // -0 and +0 are the same position
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// An edge between two numbered points, from a to b, counted weight times.
struct NumberedEdge {
    std::uint32_t a, b;
    int weight;
};

// The directed edges that forEachEdge(visit) gives as visit(from, to, weight) (numbers below
// count; it is called twice), summed per pair of numbers: those that do not cancel.
template <typename ForEachEdge>
std::vector<NumberedEdge> uncancelled(std::size_t count, ForEachEdge forEachEdge) {
    std::vector<std::uint32_t> start(count + 1, 0);
    forEachEdge([&](std::uint32_t u, std::uint32_t v, int) { ++start[std::min(u, v) + 1]; });
    for (std::size_t i = 1; i <= count; ++i)
        start[i] += start[i - 1];
    // Per lower number: the higher number and the weight the way from lower to higher.
    struct End {
        std::uint32_t high;
        int weight;
    };
    const std::unique_ptr<End[]> ends(new End[start.back()]); // all written
    std::vector<std::uint32_t> fill(start.begin(), start.end() - 1);
    forEachEdge([&](std::uint32_t u, std::uint32_t v, int weight) {
        const std::uint32_t low = std::min(u, v);
        ends[fill[low]++] = {std::max(u, v), u < v ? weight : -weight};
    });
    std::vector<NumberedEdge> kept;
    for (std::uint32_t low = 0; low < count; ++low) {
        End* first = ends.get() + start[low];
        End* last = ends.get() + start[low + 1];
        std::sort(first, last, [](const End& a, const End& b) { return a.high < b.high; });
        for (End* run = first; run != last;) {
            const std::uint32_t high = run->high;
            int sum = 0;
            for (; run != last && run->high == high; ++run)
                sum += run->weight;
            if (sum > 0)
                kept.push_back({low, high, sum});
            else if (sum < 0)
                kept.push_back({high, low, -sum});
        }
    }
    return kept;
}

// An edge of the outline: from a to b, counted weight times.
struct OutlineEdge {
    WindowPoint a, b;
    int weight;
};

// The triangles' edges, each triangle counter-clockwise, summed per pair of points: what does
// not cancel is the outline. Summed per pair of vertices first, then the few edges left over
// summed again per pair of positions, so that the edges of repeated vertices at one position
// (a seam) cancel too.
std::vector<OutlineEdge> outlineOf(std::span<const WindowPoint> points,
                                   std::span<const Triangle> triangles) {
    const std::vector<NumberedEdge> byVertex = uncancelled(points.size(), [&](auto visit) {
        for (const Triangle& t : triangles) {
            std::uint32_t c[3] = {t[0], t[1], t[2]};
            if (cross(points[c[0]], points[c[1]], points[c[2]]) < 0)
                std::swap(c[1], c[2]);
            for (int k = 0; k < 3; ++k)
                visit(c[k], c[(k + 1) % 3], 1);
        }
    });
    // Their ends numbered by position.
    std::vector<std::uint32_t> ends;
    ends.reserve(2 * byVertex.size());
    for (const NumberedEdge& e : byVertex) {
        ends.push_back(e.a);
        ends.push_back(e.b);
    }
    auto key = [&](std::uint32_t v) { return std::pair(bitsOf(points[v].x), bitsOf(points[v].y)); };
    std::sort(ends.begin(), ends.end(),
              [&](std::uint32_t a, std::uint32_t b) { return key(a) < key(b); });
    std::vector<WindowPoint> position;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> numbered; // vertex, position number
    numbered.reserve(ends.size());
    for (std::size_t i = 0; i < ends.size(); ++i) {
        if (i == 0 || key(ends[i]) != key(ends[i - 1]))
            position.push_back(points[ends[i]]);
        numbered.push_back({ends[i], static_cast<std::uint32_t>(position.size() - 1)});
    }
    std::sort(numbered.begin(), numbered.end());
    auto positionOf = [&](std::uint32_t v) {
        return std::lower_bound(numbered.begin(), numbered.end(), std::pair(v, 0u))->second;
    };
    const std::vector<NumberedEdge> byPosition = uncancelled(position.size(), [&](auto visit) {
        for (const NumberedEdge& e : byVertex)
            visit(positionOf(e.a), positionOf(e.b), e.weight);
    });
    std::vector<OutlineEdge> outline;
    outline.reserve(byPosition.size());
    for (const NumberedEdge& e : byPosition)
        outline.push_back({position[e.a], position[e.b], e.weight});
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
    // The cells cover the triangles' corners.
    EdgeCells(const std::vector<OutlineEdge>& edges, std::span<const WindowPoint> points,
              std::span<const Triangle> triangles) {
        const std::size_t triangleCount = triangles.size();
        double minX = points[triangles[0][0]].x, maxX = minX;
        double minY = points[triangles[0][0]].y, maxY = minY;
        for (const Triangle& t : triangles)
            for (std::uint32_t v : t) {
                minX = std::min(minX, points[v].x);
                maxX = std::max(maxX, points[v].x);
                minY = std::min(minY, points[v].y);
                maxY = std::max(maxY, points[v].y);
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
    const std::vector<OutlineEdge> outline = outlineOf(points, triangles);

    // Triangles clear of the outline.
    std::vector<unsigned char> clear(triangles.size(), 0);
    {
        const EdgeCells cells(outline, points, triangles);
        runHalves(triangles.size(), kTwoThreads, [&](std::size_t begin, std::size_t end) {
            for (std::size_t t = begin; t < end; ++t) {
                std::array<WindowPoint, 3> p = {points[triangles[t][0]], points[triangles[t][1]],
                                                points[triangles[t][2]]};
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
    // Triangles clear of the outline that share a vertex lie in one stretch clear of it, over
    // which the number of layers stays the same: one count for each stretch.
    std::vector<std::uint32_t> parent(points.size());
    for (std::uint32_t i = 0; i < parent.size(); ++i)
        parent[i] = i;
    for (std::size_t t = 0; t < triangles.size(); ++t)
        if (clear[t]) {
            const std::uint32_t a = findRoot(parent, triangles[t][0]);
            for (int k = 1; k < 3; ++k) {
                const std::uint32_t b = findRoot(parent, triangles[t][k]);
                if (a != b)
                    parent[b] = a;
            }
        }
    const WindingCounter counter(outline);
    std::vector<int> layers(points.size(), INT_MIN); // per stretch's root, once counted
    for (std::size_t t = 0; t < triangles.size(); ++t) {
        if (!clear[t])
            continue;
        int& count = layers[findRoot(parent, triangles[t][0])];
        if (count == INT_MIN) {
            const WindowPoint& a = points[triangles[t][0]];
            const WindowPoint& b = points[triangles[t][1]];
            const WindowPoint& c = points[triangles[t][2]];
            count = counter.windingAround({(a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3});
        }
        single[t] = count == 1;
    }
    return single;
}
