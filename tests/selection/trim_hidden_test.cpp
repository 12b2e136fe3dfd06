// Cutting a model to what the camera sees, checked against the ID pass of the input model:
// over random scenes and camera poses the cut model shows every face of the input on exactly
// its pixels, no two of its faces share a pixel, and after random parts, positions and
// compressions the mirror keeps the picture. Hand-made scenes check the cut's areas exactly,
// and a table of broken input checks that nothing crashes and what comes through.
#include "selection/depth_inversion.h"
#include "selection/face_id.h"
#include "selection/picking.h"
#include "selection/picture_compare.h"
#include "selection/trim_hidden.h"
#include "tests/selection/selection_fixture.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <sstream>

using namespace selection_test;

namespace {

constexpr int kWidth = 96, kHeight = 72;

// The program's camera turned by the given angles (degrees) about x, then y.
GlScene turnedScene(double aboutX, double aboutY) {
    GlScene scene = glScene(kWidth, kHeight);
    scene.applyProjection = [aboutX, aboutY] {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(30, kWidth / static_cast<double>(kHeight), 5, 200);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(0, 0, -40);
        glRotated(aboutX, 1, 0, 0);
        glRotated(aboutY, 0, 1, 0);
    };
    scene.view = viewTransformAfter(scene.applyProjection);
    return scene;
}

// A random scene: triangles and quads (some non-planar, so their fans bend) with corners in a
// box round the origin, texture coordinates and normals on every corner.
SimpleMesh randomScene(std::mt19937& rng) {
    std::uniform_real_distribution<float> coordinate(-6, 6), unit(0, 1);
    SimpleMesh mesh;
    auto& vertices = mesh.vertices.edit();
    auto& texCoords = mesh.texCoords.edit();
    auto& normals = mesh.normals.edit();
    IndexLists& faces = mesh.faces.edit();
    const int count = std::uniform_int_distribution<int>(3, 14)(rng);
    for (int f = 0; f < count; ++f) {
        const int corners = unit(rng) < 0.3f ? 4 : 3;
        std::vector<int> face;
        const Vec3 centre{coordinate(rng), coordinate(rng), coordinate(rng)};
        for (int k = 0; k < corners; ++k) {
            // Quads stay convex on the screen most of the time: corners round a centre.
            const double angle = (k + 0.3 * unit(rng)) * 2 * M_PI / corners;
            const float r = 2 + 4 * unit(rng);
            vertices.push_back({centre.x + r * static_cast<float>(std::cos(angle)),
                                centre.y + r * static_cast<float>(std::sin(angle)),
                                centre.z + 3 * (unit(rng) - 0.5f)});
            texCoords.push_back({unit(rng), unit(rng)});
            normals.push_back({0, 0, 1});
            face.push_back(static_cast<int>(vertices.size()) - 1);
        }
        faces.push_back(face);
    }
    mesh.texCoordFaces = mesh.faces;
    mesh.normalFaces = mesh.faces;
    openSelection(mesh);
    return mesh;
}

long long modelPixels(const RgbImage& image, std::size_t faces) {
    long long n = 0;
    for (std::size_t i = 0; i < image.pixels.size(); i += 3)
        n += decodeFaceId(&image.pixels[i], faces) >= 0;
    return n;
}

// Pixels where two ID images name different faces (either showing a face).
long long differingPixels(const RgbImage& a, const RgbImage& b, std::size_t faces) {
    return comparePictures(a, b, idFaceCount(faces), faces).differ;
}

// The cut model's ID image with every piece named by its source face.
RgbImage sourceImage(const TrimmedModel& cut, bool backFace, const GlScene& scene) {
    RgbImage image =
        readShownIdImage(cut.mesh, backFace, scene.width, scene.height, scene.applyProjection);
    nameSourceFaces(image, cut.sourceFace, idFaceCount(cut.mesh.faces.size()));
    return image;
}

// Pixels drawn by more than one face of the mesh (culling as the ID pass culls): every face
// adds one to the pixels it covers, without a depth test.
long long overlappingPixels(const SimpleMesh& mesh, bool backFace, const GlScene& scene) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_DITHER);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    if (backFace)
        glDisable(GL_CULL_FACE);
    else
        glEnable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    scene.applyProjection();
    glColor3ub(1, 0, 0);
    for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
        glBegin(GL_POLYGON);
        for (int v : mesh.faces[f])
            glVertex3fv(&mesh.vertices[v].x);
        glEnd();
    }
    std::vector<unsigned char> pixels(static_cast<std::size_t>(scene.width) * scene.height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, scene.width, scene.height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glPopAttrib();
    long long overlaps = 0;
    for (std::size_t i = 0; i < pixels.size(); i += 3)
        overlaps += pixels[i] > 1;
    return overlaps;
}

// Pixel centres that fall within rounding of a cut edge may go to either side: the grid moves
// a new corner by up to 1/2048 pixel. A few such pixels per scene are allowed, no more.
constexpr long long kEdgePixels = 3;

// What the checks of a cut found over many scenes.
struct CutTotals {
    long long model = 0, differ = 0, overlap = 0, cutFaces = 0;
};

// Cuts input and checks it against the ID pass: each face of the input on its own pixels, no
// two faces of the cut model on one pixel.
void checkCut(const SimpleMesh& input, const GlScene& scene, bool backFace, int round,
              CutTotals& totals) {
    const RgbImage before =
        readShownIdImage(input, backFace, kWidth, kHeight, scene.applyProjection);
    const TrimmedModel cut = trimToVisible(input, scene.view, backFace);
    ASSERT_EQ(cut.sourceFace.size(), cut.mesh.faces.size());
    ASSERT_EQ(cut.mesh.texCoordFaces.size(), cut.mesh.faces.size());
    ASSERT_EQ(cut.mesh.vertexPart.size(), cut.mesh.vertices.size());
    const long long differ =
        differingPixels(before, sourceImage(cut, backFace, scene), input.faces.size());
    const long long overlap = overlappingPixels(cut.mesh, backFace, scene);
    EXPECT_LE(differ, kEdgePixels) << "round " << round;
    EXPECT_LE(overlap, kEdgePixels) << "round " << round;
    totals.model += modelPixels(before, input.faces.size());
    totals.differ += differ;
    totals.overlap += overlap;
    totals.cutFaces += cut.mesh.faces.size() != input.faces.size();
}

TEST(TrimHidden, RandomScenesShowEachFaceOnItsOwnPixelsWithoutOverlap) {
    std::mt19937 rng(22);
    std::uniform_real_distribution<double> angle(-60, 60);
    CutTotals totals;
    for (int round = 0; round < 60; ++round) {
        const bool backFace = round % 3 == 0;
        const GlScene scene = turnedScene(angle(rng), angle(rng));
        checkCut(randomScene(rng), scene, backFace, round, totals);
    }
    // The scenes overlap: without the cut most of them would overlap on many pixels.
    EXPECT_GT(totals.cutFaces, 40);
    EXPECT_GT(totals.model, 60 * 500);
    EXPECT_LE(totals.differ * 10000, totals.model) << totals.differ << " of " << totals.model;
    EXPECT_LE(totals.overlap * 10000, totals.model) << totals.overlap << " of " << totals.model;
}

// A bumpy sheet of quads and triangles sharing their corners, one column of corners repeated
// (a seam): turned away, its bumps hide parts of it and it folds over itself on the screen.
SimpleMesh randomSheet(std::mt19937& rng) {
    std::uniform_real_distribution<float> unit(0, 1);
    SimpleMesh mesh;
    auto& vertices = mesh.vertices.edit();
    IndexLists& faces = mesh.faces.edit();
    constexpr int n = 14, seam = 6;
    const float amplitude = 1 + 4 * unit(rng), kx = 0.5f + unit(rng), ky = 0.5f + unit(rng);
    auto at = [&](int x, int y) {
        const float u = -6 + 12.0f * x / n, v = -6 + 12.0f * y / n;
        return Vec3{u, v, amplitude * std::sin(kx * u) * std::cos(ky * v)};
    };
    for (int y = 0; y <= n; ++y)
        for (int x = 0; x <= n; ++x)
            vertices.push_back(at(x, y));
    for (int y = 0; y <= n; ++y)
        vertices.push_back(at(seam, y));
    auto index = [&](int x, int y, bool rightOfSeam) {
        return rightOfSeam && x == seam ? (n + 1) * (n + 1) + y : y * (n + 1) + x;
    };
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const bool right = x == seam;
            const int a = index(x, y, right), b = index(x + 1, y, right),
                      c = index(x + 1, y + 1, right), d = index(x, y + 1, right);
            if ((x + y) % 3 == 0) {
                faces.push_back(std::vector<int>{a, b, c, d});
            } else {
                faces.push_back(std::vector<int>{a, b, c});
                faces.push_back(std::vector<int>{a, c, d});
            }
        }
    auto& texCoords = mesh.texCoords.edit();
    auto& normals = mesh.normals.edit();
    for (const Vec3& v : vertices) {
        texCoords.push_back({(v.x + 6) / 12, (v.y + 6) / 12});
        normals.push_back({0, 0, 1});
    }
    mesh.texCoordFaces = mesh.faces;
    mesh.normalFaces = mesh.faces;
    openSelection(mesh);
    return mesh;
}

TEST(TrimHidden, FoldedSheetsShowEachFaceOnItsOwnPixelsWithoutOverlap) {
    std::mt19937 rng(31);
    std::uniform_real_distribution<double> angle(-75, 75);
    CutTotals totals;
    for (int round = 0; round < 30; ++round) {
        const GlScene scene = turnedScene(angle(rng), angle(rng));
        checkCut(randomSheet(rng), scene, round % 2 == 0, round, totals);
    }
    // Its steps are told in order as they start, for a progress bar.
    std::string steps;
    trimToVisible(randomSheet(rng), turnedScene(0, 0).view, false,
                  [&](const char* step, double fraction) {
                      steps += std::string(step) + " " + std::to_string(fraction) + "; ";
                  });
    EXPECT_EQ(steps, "finding the faces nothing covers 0.000000; finding what covers the others "
                     "0.300000; cutting the covered faces 0.750000; joining the pieces 0.900000; ");
    // Each scene stays within the rounding of its cut edges (checked above); the sheets fold
    // and hide, so the cut has work to do.
    EXPECT_GT(totals.cutFaces, 10);
    EXPECT_GT(totals.model, 30 * 2000);
}

TEST(TrimHidden, RandomPartsPositionsAndCompressionsKeepThePicture) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> angle(-50, 50);
    std::uniform_real_distribution<float> unit(0, 1);
    long long totalModel = 0, totalDiffer = 0, untrimmedDiffer = 0;
    for (int round = 0; round < 40; ++round) {
        const GlScene scene = turnedScene(angle(rng), angle(rng));
        SimpleMesh input = randomScene(rng);
        // Random labels: each face's corners in a random part; shared corners do not occur,
        // so each face is one part.
        auto& vertexPart = input.vertexPart.edit();
        auto& inPart = input.vertexInPart.edit();
        auto& facePart = input.facePart.edit();
        for (std::size_t f = 0; f < input.faces.size(); ++f) {
            const int p = std::uniform_int_distribution<int>(0, 3)(rng);
            facePart[f] = p;
            for (int v : input.faces[f]) {
                vertexPart[v] = p;
                inPart[v] = p != 0;
            }
        }
        // Positions about the scene's depths, so that no mirrored depth passes a clipping
        // plane (a vertex held there would leave its line of sight's depth order).
        const double middle = windowOf(scene.view, {0, 0, 0}).z;
        float median[4], minDepth[4], maxDepth[4], position[4], compression[4];
        for (int p = 0; p < 4; ++p) {
            median[p] = minDepth[p] = maxDepth[p] = static_cast<float>(middle);
            position[p] = static_cast<float>(middle + 0.01 * (unit(rng) - 0.5));
            compression[p] = 2 * unit(rng) - 1;
        }
        const PartDepthSettings parts{median, minDepth, maxDepth, position, compression};
        const RgbImage before =
            readShownIdImage(input, false, kWidth, kHeight, scene.applyProjection);
        std::ostringstream log;
        TrimmedModel cut = trimToVisible(input, scene.view, false);
        SimpleMesh output;
        rebuildOutputModelWith(cut.mesh, output, parts, scene.view, log);
        TrimmedModel converted{output, cut.sourceFace, cut.newVertexSource};
        const long long differ =
            differingPixels(before, sourceImage(converted, false, scene), input.faces.size());
        SimpleMesh whole;
        rebuildOutputModelWith(input, whole, parts, scene.view, log);
        untrimmedDiffer += differingPixels(
            before, readShownIdImage(whole, false, kWidth, kHeight, scene.applyProjection),
            input.faces.size());
        EXPECT_LE(differ, kEdgePixels) << "round " << round;
        totalDiffer += differ;
        totalModel += modelPixels(before, input.faces.size());
    }
    // At least 99.9 % kept over all scenes, where the whole faces lose far more.
    EXPECT_LE(totalDiffer * 1000, totalModel) << totalDiffer << " of " << totalModel;
    EXPECT_GT(untrimmedDiffer, 20 * totalDiffer + 100);
}

// Twice the screen area of every piece of each source face, in square pixels.
std::vector<double> pieceAreas(const TrimmedModel& cut, std::size_t sourceFaces,
                               const ViewTransform& view) {
    std::vector<double> areas(sourceFaces, 0);
    for (std::size_t f = 0; f < cut.mesh.faces.size(); ++f) {
        const auto corners = cut.mesh.faces[f];
        const DPoint3 a = windowOf(view, cut.mesh.vertices[corners[0]]);
        for (std::size_t k = 1; k + 1 < corners.size(); ++k) {
            const DPoint3 b = windowOf(view, cut.mesh.vertices[corners[k]]);
            const DPoint3 c = windowOf(view, cut.mesh.vertices[corners[k + 1]]);
            areas[cut.sourceFace[f]] += (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
        }
    }
    return areas;
}

TEST(TrimHidden, HandMadeScenesKeepExactlyTheirVisibleAreas) {
    const GlScene scene = glScene(kWidth, kHeight);
    struct Case {
        const char* name;
        double depthA0, depthA1; // quad A (x 10..50) from its left edge to its right edge
        double depthB0, depthB1; // quad B (x 30..70) likewise
        double areaA, areaB;     // expected visible screen area of each, square pixels (y 10..50)
    } cases[] = {
        {"B half behind A", 0.95, 0.95, 0.97, 0.97, 1600, 800},
        {"A half behind B", 0.97, 0.97, 0.95, 0.95, 800, 1600},
        // A tilts from near to far, B the other way: they cross where x = 40.
        {"crossing at x = 40", 0.94, 0.98, 0.98, 0.94, 1200, 1200},
        // Same plane: the face drawn first shows, as the depth test decides.
        {"coplanar, A first", 0.96, 0.96, 0.96, 0.96, 1600, 800},
    };
    for (const Case& c : cases) {
        SimpleMesh mesh;
        auto quad = [&](double x0, double x1, double d0, double d1) {
            const int a = addVertex(mesh, scene.view, x0, 10, d0);
            const int b = addVertex(mesh, scene.view, x1, 10, d1);
            const int cc = addVertex(mesh, scene.view, x1, 50, d1);
            const int d = addVertex(mesh, scene.view, x0, 50, d0);
            addFace(mesh, {a, b, cc, d});
        };
        quad(10, 50, c.depthA0, c.depthA1);
        quad(30, 70, c.depthB0, c.depthB1);
        openSelection(mesh);
        const TrimmedModel cut = trimToVisible(mesh, scene.view, false);
        const std::vector<double> areas = pieceAreas(cut, 2, scene.view);
        // Float positions and the grid move edges by well under a thousandth of a pixel.
        EXPECT_NEAR(areas[0] / 2, c.areaA, 0.05) << c.name;
        EXPECT_NEAR(areas[1] / 2, c.areaB, 0.05) << c.name;
        for (std::size_t f = 0; f < cut.mesh.faces.size(); ++f)
            EXPECT_EQ(cut.mesh.facePart[f], mesh.facePart[cut.sourceFace[f]]) << c.name;
    }
}

TEST(TrimHidden, BrokenInputNeitherCrashesNorHangsAndComesThroughUncut) {
    const GlScene scene = glScene(kWidth, kHeight);
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // Each case: a broken face 1 beside a quad 0, and whether the quad still comes out (a huge
    // face in front of it hides it). The broken face comes through as it is: it cannot be cut.
    struct Case {
        const char* name;
        std::vector<Vec3> extra; // vertices 4.. of face 1
        std::vector<int> face;   // face 1
        bool quadShows;
    } cases[] = {
        {"zero area", {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}}, {4, 5, 6}, true},
        {"one point", {{0, 0, 0}}, {4, 4, 4}, true},
        {"two corners", {{0, 0, 0}, {1, 0, 0}}, {4, 5}, true},
        {"no corners", {}, {}, true},
        {"index out of range", {{0, 0, 0}}, {4, 99, -3}, true},
        {"through the eye's plane", {{-5, -5, 10}, {5, -5, 10}, {0, 5, 150}}, {4, 5, 6}, true},
        {"behind the eye", {{-5, -5, 150}, {5, -5, 150}, {0, 5, 150}}, {4, 5, 6}, true},
        {"huge, in front",
         {{-1e30f, -1e30f, 50}, {1e30f, -1e30f, 50}, {0, 1e30f, 50}},
         {4, 5, 6},
         false},
        {"not finite", {{nan, 0, 0}, {inf, 0, 0}, {0, -inf, 0}}, {4, 5, 6}, true},
    };
    for (const Case& c : cases) {
        SimpleMesh mesh;
        addQuad(mesh, scene.view, 10, 10, 60, 50, 0.97);
        for (const Vec3& v : c.extra)
            mesh.vertices.edit().push_back(v);
        mesh.faces.edit().push_back(c.face);
        openSelection(mesh);
        const TrimmedModel cut = trimToVisible(mesh, scene.view, false);
        int pieces[2] = {0, 0};
        for (int source : cut.sourceFace)
            ++pieces[source];
        EXPECT_EQ(pieces[1], 1) << c.name;
        EXPECT_EQ(pieces[0] > 0, c.quadShows) << c.name;
        for (std::size_t f = 0; f < cut.mesh.faces.size(); ++f) {
            if (cut.sourceFace[f] == 1) {
                EXPECT_EQ(cut.mesh.faces[f].size(), c.face.size()) << c.name;
                continue;
            }
            for (int v : cut.mesh.faces[f])
                EXPECT_TRUE(isIndex(v, cut.mesh.vertices.size())) << c.name;
        }
    }
}

} // namespace
