// Triangles proven to lie alone on the screen, checked against every pair of triangles: a
// triangle called alone overlaps no other (exact clipping of the pair), over random sheets
// that fold over themselves, seams of repeated vertices and loose triangles; and on sheets
// that nothing folds, the proof does settle all but the triangles on their border.
#include "selection/screen_layers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using Triangle = std::array<std::uint32_t, 3>;

struct Picture {
    std::vector<WindowPoint> points;
    std::vector<Triangle> triangles;
};

double cross(const WindowPoint& o, const WindowPoint& a, const WindowPoint& b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// Area the insides of two triangles share: one clipped by the other's three edge lines.
double sharedArea(std::array<WindowPoint, 3> a, std::array<WindowPoint, 3> b) {
    if (cross(a[0], a[1], a[2]) < 0)
        std::swap(a[1], a[2]);
    if (cross(b[0], b[1], b[2]) < 0)
        std::swap(b[1], b[2]);
    std::vector<WindowPoint> poly(a.begin(), a.end());
    for (int e = 0; e < 3 && !poly.empty(); ++e) {
        const WindowPoint p = b[e], q = b[(e + 1) % 3];
        std::vector<WindowPoint> out;
        for (std::size_t i = 0; i < poly.size(); ++i) {
            const WindowPoint& s = poly[i];
            const WindowPoint& t = poly[(i + 1) % poly.size()];
            const double ss = cross(p, q, s), st = cross(p, q, t);
            if (ss >= 0)
                out.push_back(s);
            if ((ss >= 0) != (st >= 0)) {
                const double k = ss / (ss - st);
                out.push_back({s.x + k * (t.x - s.x), s.y + k * (t.y - s.y)});
            }
        }
        poly = out;
    }
    double area = 0;
    for (std::size_t i = 0; i < poly.size(); ++i)
        area += cross({0, 0}, poly[i], poly[(i + 1) % poly.size()]);
    return area / 2;
}

std::array<WindowPoint, 3> cornersOf(const Picture& p, std::size_t t) {
    return {p.points[p.triangles[t][0]], p.points[p.triangles[t][1]], p.points[p.triangles[t][2]]};
}

// A sheet of n x n quads, two triangles each, seen from the front as window points, bent by
// random bumps; amplitude 0 leaves it flat. Where the bumps are steep the sheet folds over
// itself on the screen (its triangles turn clockwise there). seamColumn >= 0 gives the
// vertices of that column a second copy at the same position, used by the quads to its right.
Picture sheet(std::mt19937& rng, int n, double amplitude, int seamColumn = -1) {
    std::uniform_real_distribution<double> unit(0, 1);
    Picture p;
    const double kx = 1 + 3 * unit(rng), ky = 1 + 3 * unit(rng), phase = 6 * unit(rng);
    auto at = [&](int x, int y) {
        const double u = static_cast<double>(x) / n, v = static_cast<double>(y) / n;
        return WindowPoint{100 * u + amplitude * std::sin(kx * u * 6.28 + phase) * v,
                           100 * v + amplitude * std::cos(ky * v * 6.28 + phase) * u};
    };
    for (int y = 0; y <= n; ++y)
        for (int x = 0; x <= n; ++x)
            p.points.push_back(at(x, y));
    std::vector<std::uint32_t> copy(n + 1);
    for (int y = 0; y <= n && seamColumn >= 0; ++y) {
        copy[y] = static_cast<std::uint32_t>(p.points.size());
        p.points.push_back(at(seamColumn, y));
    }
    auto index = [&](int x, int y, bool rightOfSeam) {
        if (rightOfSeam && x == seamColumn)
            return copy[y];
        return static_cast<std::uint32_t>(y * (n + 1) + x);
    };
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const bool right = x == seamColumn;
            const std::uint32_t a = index(x, y, right), b = index(x + 1, y, right),
                                c = index(x + 1, y + 1, right), d = index(x, y + 1, right);
            p.triangles.push_back({a, b, c});
            p.triangles.push_back({a, c, d});
        }
    return p;
}

// Keeps the triangles of positive area only (the function's precondition).
void dropFlat(Picture& p) {
    std::vector<Triangle> kept;
    for (std::size_t t = 0; t < p.triangles.size(); ++t) {
        const auto c = cornersOf(p, t);
        if (std::abs(cross(c[0], c[1], c[2])) > 1e-9)
            kept.push_back(p.triangles[t]);
    }
    p.triangles = kept;
}

// Every triangle called alone shares no inside with any other; returns how many were.
std::size_t checkAloneOnesOverlapNothing(const Picture& p, const char* what, int round) {
    const std::vector<unsigned char> alone = singleLayerTriangles(p.points, p.triangles);
    EXPECT_EQ(alone.size(), p.triangles.size());
    std::size_t count = 0;
    for (std::size_t t = 0; t < p.triangles.size(); ++t) {
        if (!alone[t])
            continue;
        ++count;
        for (std::size_t o = 0; o < p.triangles.size(); ++o)
            if (o != t) {
                const double area = sharedArea(cornersOf(p, t), cornersOf(p, o));
                EXPECT_LE(area, 1e-9) << what << " round " << round << ": triangle " << t
                                      << " called alone overlaps " << o;
            }
    }
    return count;
}

TEST(ScreenLayers, TrianglesCalledAloneOverlapNoOtherOnFoldedSheetsSeamsAndLooseTriangles) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> unit(0, 1);
    std::size_t aloneOnFolded = 0, totalOnFolded = 0;
    for (int round = 0; round < 40; ++round) {
        // Folded sheets, some with a seam, some turned over (clockwise throughout).
        Picture folded = sheet(rng, 10, 30 * unit(rng), round % 3 == 0 ? 4 : -1);
        if (round % 4 == 1)
            for (Triangle& t : folded.triangles)
                std::swap(t[1], t[2]);
        // A second sheet over part of the first: inside the overlap two layers lie clear of
        // every outline edge.
        if (round % 5 == 2) {
            Picture over = sheet(rng, 6, 0);
            const auto base = static_cast<std::uint32_t>(folded.points.size());
            for (WindowPoint q : over.points)
                folded.points.push_back({q.x * 0.5 + 20, q.y * 0.5 + 20});
            for (Triangle t : over.triangles)
                folded.triangles.push_back({t[0] + base, t[1] + base, t[2] + base});
        }
        // A few loose triangles thrown over it, and one repeated.
        for (int k = 0; k < round % 3; ++k) {
            const auto base = static_cast<std::uint32_t>(folded.points.size());
            for (int c = 0; c < 3; ++c)
                folded.points.push_back({120 * unit(rng) - 10, 120 * unit(rng) - 10});
            folded.triangles.push_back({base, base + 1, base + 2});
        }
        if (round % 7 == 3)
            folded.triangles.push_back(folded.triangles[folded.triangles.size() / 2]);
        dropFlat(folded);
        aloneOnFolded += checkAloneOnesOverlapNothing(folded, "folded", round);
        totalOnFolded += folded.triangles.size();
    }
    // The check above is not empty: a good share of the folded sheets is found alone.
    EXPECT_GT(aloneOnFolded * 10, totalOnFolded) << aloneOnFolded << " of " << totalOnFolded;
}

TEST(ScreenLayers, SheetsThatDoNotFoldAreSettledButForTheirBorder) {
    std::mt19937 rng(9);
    for (const int seam : {-1, 5}) {
        const int n = 12;
        const Picture p = sheet(rng, n, 2, seam);
        const std::vector<unsigned char> alone = singleLayerTriangles(p.points, p.triangles);
        // Triangles with a corner on the sheet's border touch its outline; all others lie
        // alone, the seam's copies of vertices being the same points.
        for (std::size_t t = 0; t < p.triangles.size(); ++t) {
            bool border = false;
            for (std::uint32_t v : p.triangles[t]) {
                const int x = v < static_cast<std::uint32_t>((n + 1) * (n + 1))
                                  ? static_cast<int>(v) % (n + 1)
                                  : seam;
                const int y = v < static_cast<std::uint32_t>((n + 1) * (n + 1))
                                  ? static_cast<int>(v) / (n + 1)
                                  : static_cast<int>(v) - (n + 1) * (n + 1);
                border = border || x == 0 || y == 0 || x == n || y == n;
            }
            EXPECT_EQ(alone[t], border ? 0 : 1) << "seam " << seam << ", triangle " << t;
        }
        checkAloneOnesOverlapNothing(p, "flat", seam);
    }
}

TEST(ScreenLayers, TwoLayersClearOfTheOutlineAreNotAlone) {
    // Two copies of one flat sheet, the second one shifted by a fraction of a quad: inside
    // both sheets the outline is far, but two layers lie there.
    std::mt19937 rng(3);
    Picture p = sheet(rng, 8, 0);
    const Picture second = sheet(rng, 8, 0);
    const auto base = static_cast<std::uint32_t>(p.points.size());
    for (WindowPoint q : second.points)
        p.points.push_back({q.x + 3.3, q.y + 2.1});
    for (Triangle t : second.triangles)
        p.triangles.push_back({t[0] + base, t[1] + base, t[2] + base});
    const std::vector<unsigned char> alone = singleLayerTriangles(p.points, p.triangles);
    EXPECT_EQ(std::count(alone.begin(), alone.end(), 1), 0);
    EXPECT_TRUE(singleLayerTriangles(p.points, {}).empty());
}

} // namespace
