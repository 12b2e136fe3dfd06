#include "export/solid_front.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

using Triangle = std::array<int, 3>;

// Side of the square tiles, in samples, whose two halves start the hierarchy: the largest
// triangle covers half a tile.
constexpr int kTile = 256;

struct Point {
    int x, y;
};

Point midpoint(Point p, Point q) {
    return {(p.x + q.x) / 2, (p.y + q.y) / 2};
}

// A triangle of the hierarchy: its longest side runs from a to b, its right angle is at c.
struct RightTriangle {
    Point a, b, c;
};

// Whether t splits further: its legs are longer than one sample, so its longest side has a
// sample at its midpoint.
bool splits(const RightTriangle& t) {
    return std::abs(t.a.x - t.c.x) + std::abs(t.a.y - t.c.y) > 1;
}

// The two halves of t, split at the midpoint of its longest side.
std::array<RightTriangle, 2> halves(const RightTriangle& t) {
    const Point m = midpoint(t.a, t.b);
    return {RightTriangle{t.c, t.a, m}, RightTriangle{t.b, t.c, m}};
}

RightTriangle moved(const RightTriangle& t, Point by) {
    return {
        {t.a.x + by.x, t.a.y + by.y}, {t.b.x + by.x, t.b.y + by.y}, {t.c.x + by.x, t.c.y + by.y}};
}

// The hierarchy of one tile at the origin, level by level from its two halves down to the
// triangles whose halves no longer split.
const std::vector<std::vector<RightTriangle>>& tileLevels() {
    static const std::vector<std::vector<RightTriangle>> levels = [] {
        std::vector<std::vector<RightTriangle>> all{
            {{{0, 0}, {kTile, kTile}, {kTile, 0}}, {{kTile, kTile}, {0, 0}, {0, kTile}}}};
        while (true) {
            std::vector<RightTriangle> next;
            for (const RightTriangle& t : all.back())
                for (const RightTriangle& half : halves(t))
                    if (splits(half))
                        next.push_back(half);
            if (next.empty())
                return all;
            all.push_back(std::move(next));
        }
    }();
    return levels;
}

// Per grid point, the state of the triangles whose longest side has it as its midpoint (one
// on each side of that side): whether they split, and whether each has been checked.
constexpr std::uint8_t kSplit = 1, kCheckedLeft = 2, kCheckedRight = 4;

class FrontBuilder {
  public:
    explicit FrontBuilder(const FrontSurface& surface)
        : s_(surface), tilesWide_((surface.width - 2) / kTile + 1),
          tilesHigh_((surface.height - 2) / kTile + 1), gridWide_(tilesWide_ * kTile + 1),
          state_(std::size_t(gridWide_) * (tilesHigh_ * kTile + 1), 0) {}

    std::vector<Triangle> build() {
        spread(true);
        std::vector<Triangle> front;
        while (emit(front))
            spread(false);
        return front;
    }

  private:
    bool inside(Point p) const { return p.x < s_.width && p.y < s_.height; }
    bool inside(const RightTriangle& t) const { return inside(t.a) && inside(t.b) && inside(t.c); }
    // Whether t's interior meets the grid's rectangle (corners never lie left of or below it).
    bool meets(const RightTriangle& t) const {
        return std::min({t.a.x, t.b.x, t.c.x}) < s_.width - 1 &&
               std::min({t.a.y, t.b.y, t.c.y}) < s_.height - 1;
    }
    std::size_t sample(Point p) const { return std::size_t(p.y) * s_.width + p.x; }
    std::uint8_t& state(Point p) { return state_[std::size_t(p.y) * gridWide_ + p.x]; }
    double inverseW(double depth) const { return s_.inverseW[0] + s_.inverseW[1] * depth; }
    // Which of the two triangles around their longest side's midpoint m t is.
    static std::uint8_t checkedBit(const RightTriangle& t, Point m) {
        return t.c.x < m.x || (t.c.x == m.x && t.c.y < m.y) ? kCheckedLeft : kCheckedRight;
    }

    // A quick look at t alone: it must split when the sample at its longest side's midpoint is
    // out of bounds between that side's ends.
    bool mustSplit(const RightTriangle& t, Point m) const {
        if (!inside(t.a) || !inside(t.b))
            return false;
        const double za = s_.depth[sample(t.a)], zb = s_.depth[sample(t.b)], zm = 0.5 * (za + zb);
        const std::size_t at = sample(m);
        if (!(s_.low[at] <= zm && zm <= s_.high[at]))
            return true;
        const double qa = inverseW(za), qb = inverseW(zb), shift = std::abs(qa / (qa + qb) - 0.5);
        return shift * std::max(std::abs(t.a.x - t.b.x), std::abs(t.a.y - t.b.y)) > 0.5;
    }

    // The part of t inside the rectangle, as triangles (their right angles aside, any
    // triangles of samples): t itself when it lies inside, else the polygon it is cut to as a
    // fan. The hierarchy's sides run along the grid and its diagonals, so they cross the
    // rectangle's edges at samples. False when the cut would leave a corner between samples or
    // a triangle without area (t must then split).
    bool piecesInside(const RightTriangle& t, std::vector<RightTriangle>& pieces) const {
        pieces.clear();
        if (inside(t)) {
            pieces.push_back(t);
            return true;
        }
        std::vector<Point> polygon{t.a, t.b, t.c}, next;
        bool exact = true;
        // Sutherland-Hodgman against x <= width - 1, then y <= height - 1.
        for (int axis = 0; axis < 2; ++axis) {
            const int edge = axis == 0 ? s_.width - 1 : s_.height - 1;
            auto along = [axis](Point p) { return axis == 0 ? p.x : p.y; };
            next.clear();
            for (std::size_t i = 0; i < polygon.size(); ++i) {
                const Point p = polygon[i], q = polygon[(i + 1) % polygon.size()];
                if (along(p) <= edge)
                    next.push_back(p);
                if ((along(p) <= edge) != (along(q) <= edge) && along(p) != edge &&
                    along(q) != edge) {
                    const long run = along(q) - along(p), rise = axis == 0 ? q.y - p.y : q.x - p.x,
                               step = long(edge - along(p)) * rise;
                    exact = exact && step % run == 0;
                    const int other = int((axis == 0 ? p.y : p.x) + step / run);
                    next.push_back(axis == 0 ? Point{edge, other} : Point{other, edge});
                }
            }
            polygon.swap(next);
        }
        for (std::size_t i = 1; i + 1 < polygon.size(); ++i) {
            const RightTriangle piece{polygon[0], polygon[i], polygon[i + 1]};
            const long turn = long(piece.b.x - piece.a.x) * (piece.c.y - piece.a.y) -
                              long(piece.b.y - piece.a.y) * (piece.c.x - piece.a.x);
            exact = exact && turn != 0;
            pieces.push_back(piece);
        }
        return exact;
    }

    // Every sample under t (all corners inside) against its bounds.
    bool withinBounds(const RightTriangle& t) const {
        const Point v[3] = {t.a, t.b, t.c};
        double z[3], q[3];
        for (int i = 0; i < 3; ++i) {
            z[i] = s_.depth[sample(v[i])];
            q[i] = inverseW(z[i]);
        }
        const long e1x = v[1].x - v[0].x, e1y = v[1].y - v[0].y, e2x = v[2].x - v[0].x,
                   e2y = v[2].y - v[0].y, area = e1x * e2y - e1y * e2x, sign = area > 0 ? 1 : -1;
        const int x0 = std::min({v[0].x, v[1].x, v[2].x}), x1 = std::max({v[0].x, v[1].x, v[2].x}),
                  y0 = std::min({v[0].y, v[1].y, v[2].y}), y1 = std::max({v[0].y, v[1].y, v[2].y});
        // The texture drifts from its sample by at most half the spread of the corners' 1 / w
        // relative to the smallest, times the triangle's extent: often too little to look at.
        const double qLow = std::min({q[0], q[1], q[2]}), qHigh = std::max({q[0], q[1], q[2]});
        const bool texture = 0.5 * (qHigh / qLow - 1) * std::max(x1 - x0, y1 - y0) > 0.5;
        const double dz1 = z[1] - z[0], dz2 = z[2] - z[0];
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const long px = x - v[0].x, py = y - v[0].y;
                const long n1 = (px * e2y - py * e2x) * sign, n2 = (e1x * py - e1y * px) * sign,
                           n0 = area * sign - n1 - n2;
                if (n1 < 0 || n2 < 0 || n0 < 0)
                    continue;
                const std::size_t at = std::size_t(y) * s_.width + x;
                const double depth =
                    z[0] + (double(n1) * dz1 + double(n2) * dz2) / double(n0 + n1 + n2);
                if (!(s_.low[at] <= depth && depth <= s_.high[at]))
                    return false;
                if (!texture)
                    continue;
                const double w0 = double(n0) * q[0], w1 = double(n1) * q[1], w2 = double(n2) * q[2],
                             sum = w0 + w1 + w2;
                const double u = (w0 * v[0].x + w1 * v[1].x + w2 * v[2].x) / sum,
                             t = (w0 * v[0].y + w1 * v[1].y + w2 * v[2].y) / sum;
                if (std::abs(u - x) > 0.5 || std::abs(t - y) > 0.5)
                    return false;
            }
        return true;
    }

    // Marks, level by level from the smallest triangles up, every triangle that must split
    // (first: by the quick look; always: because a half of it, or of its neighbour across its
    // longest side, splits), so that neighbours split together and meet edge to edge.
    void spread(bool first) {
        const auto& levels = tileLevels();
        for (std::size_t level = levels.size(); level-- > 0;)
            for (int ty = 0; ty < tilesHigh_; ++ty)
                for (int tx = 0; tx < tilesWide_; ++tx)
                    for (const RightTriangle& local : levels[level]) {
                        const RightTriangle t = moved(local, {tx * kTile, ty * kTile});
                        const Point m = midpoint(t.a, t.b);
                        std::uint8_t& own = state(m);
                        if (own & kSplit)
                            continue;
                        bool split = first && mustSplit(t, m);
                        if (!split && std::abs(t.c.x - m.x) + std::abs(t.c.y - m.y) > 1)
                            split =
                                (state(midpoint(t.c, t.a)) | state(midpoint(t.b, t.c))) & kSplit;
                        if (split)
                            own |= kSplit;
                    }
    }

    // The marked hierarchy's triangles, cut to the rectangle, into front. A triangle not yet
    // checked is checked against every sample under it and, out of bounds, marked and split
    // at once; true when that happened, since its neighbours must then be marked too.
    bool emit(std::vector<Triangle>& front) {
        front.clear();
        bool marked = false;
        std::vector<RightTriangle> pending, pieces;
        for (int ty = 0; ty < tilesHigh_; ++ty)
            for (int tx = 0; tx < tilesWide_; ++tx)
                for (const RightTriangle& top : tileLevels()[0])
                    pending.push_back(moved(top, {tx * kTile, ty * kTile}));
        while (!pending.empty()) {
            const RightTriangle t = pending.back();
            pending.pop_back();
            if (!meets(t))
                continue;
            const bool cut = piecesInside(t, pieces);
            if (splits(t)) {
                const Point m = midpoint(t.a, t.b);
                std::uint8_t& own = state(m);
                const std::uint8_t checked = checkedBit(t, m);
                if (!(own & (kSplit | checked))) {
                    bool within = cut;
                    for (std::size_t i = 0; within && i < pieces.size(); ++i)
                        within = withinBounds(pieces[i]);
                    if (within) {
                        own |= checked;
                    } else {
                        own |= kSplit;
                        marked = true;
                    }
                }
                if (own & kSplit) {
                    for (const RightTriangle& half : halves(t))
                        pending.push_back(half);
                    continue;
                }
            }
            for (const RightTriangle& piece : pieces) {
                const int a = int(sample(piece.a)), b = int(sample(piece.b)),
                          c = int(sample(piece.c));
                const long turn = long(piece.b.x - piece.a.x) * (piece.c.y - piece.a.y) -
                                  long(piece.b.y - piece.a.y) * (piece.c.x - piece.a.x);
                front.push_back(turn > 0 ? Triangle{a, b, c} : Triangle{a, c, b});
            }
        }
        return marked;
    }

    const FrontSurface& s_;
    int tilesWide_, tilesHigh_, gridWide_;
    std::vector<std::uint8_t> state_;
};

} // namespace

std::vector<std::array<int, 3>> boundedFront(const FrontSurface& surface) {
    if (surface.width < 2 || surface.height < 2)
        return {};
    return FrontBuilder(surface).build();
}
