// The buffered drawing and ID passes against the immediate-mode drawing they replaced: the
// same models, states and cameras drawn both ways must give the same pixels, the same
// current colour, normal and texture coordinate, the same faceVisible and the same picks.
// Also after every kind of change to a mesh, so that no cache is ever drawn stale.
#include "app/camera.h"
#include "mesh/draw_arrays.h"
#include "mesh/draw_batches.h"
#include "selection/face_id.h"
#include "selection/picking.h"
#include "selection/view_transform_gl.h"
#include "tests/app/app_fixture.h"
#include "tests/app/immediate_reference.h"

#include <GL/gl.h>

#include <cmath>
#include <functional>
#include <random>
#include <sstream>

namespace {

constexpr int W = 640, H = 480;

// What one drawing leaves: the window's pixels and the current values and state after it.
struct Frame {
    std::vector<unsigned char> pixels;
    std::array<float, 12> current; // colour, normal, texture coordinate
    std::array<int, 2> state;      // cull face mode, bound texture
};

Frame readFrame() {
    Frame f{std::vector<unsigned char>(std::size_t(W) * H * 4), {}, {}};
    glFinish();
    glReadPixels(0, 0, W, H, GL_RGBA, GL_UNSIGNED_BYTE, f.pixels.data());
    glGetFloatv(GL_CURRENT_COLOR, &f.current[0]);
    glGetFloatv(GL_CURRENT_NORMAL, &f.current[4]);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, &f.current[8]);
    glGetIntegerv(GL_CULL_FACE_MODE, &f.state[0]);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &f.state[1]);
    return f;
}

// Empty when the images are equal, else how many pixels differ and where the first is.
std::string pixelDifference(const std::vector<unsigned char>& a,
                            const std::vector<unsigned char>& b, int channels) {
    if (a.size() != b.size())
        return "sizes differ";
    std::size_t count = 0, first = 0;
    for (std::size_t i = 0; i < a.size(); i += channels)
        if (!std::equal(&a[i], &a[i] + channels, &b[i]) && count++ == 0)
            first = i / channels;
    if (count == 0)
        return "";
    std::ostringstream out;
    out << count << " pixels differ, first at column " << first % W << ", row " << first / W;
    return out.str();
}

void expectSameFrame(const Frame& buffered, const Frame& reference, const std::string& what) {
    EXPECT_EQ(pixelDifference(buffered.pixels, reference.pixels, 4), "") << what;
    EXPECT_EQ(buffered.current, reference.current) << what << ": current colour, normal, texture";
    EXPECT_EQ(buffered.state, reference.state) << what;
}

// One frame of the model as the display draws it: cleared, the view camera loaded, the
// current colour white, lighting on, the polygon mode as the caller left it.
Frame drawFrame(const std::function<void()>& drawModel) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    applyProjection();
    glColor3f(1, 1, 1);
    glNormal3f(0, 0, 1);
    glTexCoord2f(0.5f, 0.5f);
    drawModel();
    return readFrame();
}

// Draws the mesh both ways and requires the same frame; returns the reference.
Frame expectSameDrawing(const SimpleMesh& mesh, bool outputShown, const std::string& what) {
    const Frame reference = drawFrame([&] { immediate::draw(mesh, outputShown); });
    const Frame buffered = drawFrame([&] { mesh.draw(outputShown); });
    expectSameFrame(buffered, reference, what);
    return reference;
}

// A bumpy sphere of rings x segments quads (every third split into two triangles), closed at
// the top by one convex polygon of `segments` corners and open at the bottom, so that its
// inside shows; texture coordinates with their own seam column; parts by longitude (border
// faces where they meet); every fifth face not seen from the camera; a one- and a two-corner
// face. Selection state as painting and "Preview" leave it.
SimpleMesh makeBlob(int rings, int segments, bool textured) {
    SimpleMesh m;
    const float pi = 3.14159265f;
    for (int r = 0; r <= rings; ++r)
        for (int s = 0; s < segments; ++s) {
            const float theta = pi * (0.1f + 0.8f * r / rings), phi = 2 * pi * s / segments;
            const float radius = 5 + 0.6f * std::sin(3 * phi) * std::cos(2 * theta);
            m.vertices.edit().push_back({radius * std::sin(theta) * std::cos(phi),
                                         radius * std::cos(theta),
                                         radius * std::sin(theta) * std::sin(phi)});
        }
    for (int r = 0; r <= rings; ++r)
        for (int s = 0; s <= segments; ++s)
            m.texCoords.edit().push_back({float(s) / segments, float(r) / rings});
    // A face through the given (ring, segment) corners.
    auto face = [&](const std::vector<std::array<int, 2>>& corners) {
        std::vector<int> vs, ts;
        for (auto [r, s] : corners) {
            vs.push_back(r * segments + s % segments);
            ts.push_back(r * (segments + 1) + s);
        }
        m.faces.edit().push_back(vs);
        m.texCoordFaces.edit().push_back(ts);
    };
    std::vector<std::array<int, 2>> cap;
    for (int s = segments - 1; s >= 0; --s)
        cap.push_back({0, s});
    face(cap);
    for (int r = 0; r < rings; ++r)
        for (int s = 0; s < segments; ++s)
            if ((r + s) % 3 == 0) {
                face({{r, s}, {r, s + 1}, {r + 1, s + 1}});
                face({{r, s}, {r + 1, s + 1}, {r + 1, s}});
            } else {
                face({{r, s}, {r, s + 1}, {r + 1, s + 1}, {r + 1, s}});
            }
    face({{1, 1}});
    face({{2, 2}, {2, 3}});
    m.normalFaces = m.faces;
    captureConsole([&] { m.computeNormals(); });
    if (!textured) {
        m.texCoords.clear();
        m.texCoordFaces.clear();
    }

    for (int r = 0; r <= rings; ++r)
        for (int s = 0; s < segments; ++s)
            m.vertexPart.edit().push_back(4 * s / segments); // 0, 1, 2, 3 by quarter
    for (int part : m.vertexPart)
        m.vertexInPart.edit().push_back(part > 0 ? 1 : 0);
    for (std::size_t f = 0; f < m.faces.size(); ++f) {
        const auto corners = m.faces[f];
        int part = m.vertexPart[corners[0]];
        for (int c : corners)
            if (m.vertexPart[c] != part)
                part = -1;
        m.facePart.edit().push_back(part);
        m.faceVisible.edit().push_back(f % 5 == 2 ? 0 : 1);
    }
    return m;
}

// A started program with a 64 x 64 texture of random texels and a camera that sees the blob
// from above and the side, so that the top polygon, the open bottom and both sides show.
class RenderEquality : public OffscreenAppTest {
  protected:
    void SetUp() override {
        OffscreenAppTest::SetUp();
        deleteTextureName = nullptr; // the fixture owns the texture its meshes share
        std::mt19937 random(7);
        std::vector<unsigned char> texels(64 * 64 * 4);
        for (std::size_t i = 0; i < texels.size(); ++i) // opaque, as image files give them
            texels[i] = i % 4 == 3 ? 255 : static_cast<unsigned char>(random());
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 64, 64, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     texels.data());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glBindTexture(GL_TEXTURE_2D, 0);
        viewCamera.rotation = {0.64f, 0.1f, 0.0f, 0.76f};
        viewCamera.translation = {0.5f, -0.5f, -90};
    }
    void TearDown() override {
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glDeleteTextures(1, &texture);
        installTextureDeleter();
        OffscreenAppTest::TearDown();
    }

    SimpleMesh texturedBlob() {
        SimpleMesh m = makeBlob(9, 7, true);
        m.textureId = texture;
        m.textureOnAllFaces = true;
        m.drawBackFaces = 1;
        return m;
    }

    GLuint texture = 0;
};

// Draws a model in all sixteen combinations of the four switches (output model, hidden
// unseen faces, back faces, wireframe) both ways; each switch must show on the screen (the
// plain pass ignores all but the wireframe).
void expectSameInEveryState(const SimpleMesh& model, const std::string& name, bool plain) {
    viewCamera.translation = {0.5f, -0.5f, -90};
    std::vector<Frame> references;
    for (int variant = 0; variant < 16; ++variant) {
        SimpleMesh mesh = model;
        const bool outputShown = variant & 1, wire = variant & 8;
        mesh.hideInvisibleFaces = (variant >> 1) & 1;
        mesh.drawBackFaces = (variant >> 2) & 1;
        glPolygonMode(GL_FRONT_AND_BACK, wire ? GL_LINE : GL_FILL);
        references.push_back(
            expectSameDrawing(mesh, outputShown, name + ", variant " + std::to_string(variant)));
    }
    for (int bit : {1, 2, 4, 8}) {
        if (!plain || bit == 8) {
            EXPECT_NE(references[bit].pixels, references[0].pixels)
                << name << ": switch " << bit << " changes nothing on the screen";
        }
    }
}

TEST_F(RenderEquality, ModelsDrawTheSamePixelsInEveryState) {
    expectSameInEveryState(texturedBlob(), "textured blob", false);
    SimpleMesh untextured = texturedBlob();
    untextured.textureId = 0; // tints and translucency over texture 0
    expectSameInEveryState(untextured, "blob without texture name", false);
    expectSameInEveryState(makeBlob(9, 7, false), "plain blob", true);
}

// The ID image of a mesh drawn one way, in the state both ID passes draw it in.
RgbImage idImage(const SimpleMesh& mesh, bool cullBackFaces, bool buffered) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DITHER);
    if (!cullBackFaces)
        glDisable(GL_CULL_FACE);
    applyProjection();
    if (buffered)
        drawIdImage(mesh, mesh.faces.size());
    else
        immediate::drawIdImage(mesh, mesh.faces.size());
    const RgbImage image = readWindow(W, H);
    glPopAttrib();
    return image;
}

// Both ID passes give the image and faceVisible of each face drawn as a filled polygon, with
// and without back faces, also while "Wireframe" leaves outlines in the window's state.
void expectSameIdPasses(const SimpleMesh& model, float distance) {
    viewCamera.translation = {0, -0.75f, distance};
    const std::string what = std::to_string(model.faces.size()) + " faces";
    for (bool backFace : {false, true}) {
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        const RgbImage reference = idImage(model, !backFace, false);
        EXPECT_EQ(pixelDifference(idImage(model, !backFace, true).pixels, reference.pixels, 3), "")
            << what << ", back faces " << backFace;
        std::vector<int> expected(model.faces.size(), 0);
        markFacesInIdImage(reference, model.faces.size(), expected);
        EXPECT_GT(std::count(expected.begin(), expected.end(), 1), 10) << what;
        for (GLenum mode : {GL_FILL, GL_LINE}) {
            glPolygonMode(GL_FRONT_AND_BACK, mode);
            SimpleMesh mesh = model;
            markVisibleFaces(mesh, backFace, W, H, applyProjection);
            EXPECT_EQ(mesh.faceVisible.get(), expected)
                << what << (mode == GL_LINE ? ", wireframe" : "") << ", back faces " << backFace;
        }
    }
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

TEST_F(RenderEquality, IdPassesFindTheSameFaces) {
    expectSameIdPasses(texturedBlob(), -90.0f);
    SKIP_WITHOUT_ASSIMP_MODELS();
    SimpleMesh real;
    bool loaded = false;
    captureConsole([&] { loaded = real.load(kAssimpModels + "WusonOBJ.obj", {}); });
    ASSERT_TRUE(loaded);
    expectSameIdPasses(real, -14.0f);
}

// A model of more triangles than one batch, so that it is sent in several batches: a grid
// of 210 x 210 quads (88,200 triangles) over the window, textured, in parts, with unseen
// faces. Outlines are left out: immediate mode itself does not draw the outlines of this many
// polygons the same way twice.
TEST_F(RenderEquality, ModelsOfSeveralBatchesDrawTheSamePixels) {
    const int cells = 210, side = cells + 1;
    ASSERT_GT(2u * cells * cells, 2 * kBatchTriangles);
    SimpleMesh grid;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const float u = -4 + 8.0f * x / cells, v = -3 + 6.0f * y / cells;
            grid.vertices.edit().push_back({u, v, 0.6f * std::sin(u * 2) * std::cos(v * 3)});
            grid.texCoords.edit().push_back({float(x) / cells, float(y) / cells});
        }
    for (int y = 0; y < cells; ++y)
        for (int x = 0; x < cells; ++x) {
            const int a = y * side + x, b = a + 1, c = a + side + 1, d = a + side;
            grid.faces.edit().push_back(std::vector<int>{a, b, c});
            grid.faces.edit().push_back(std::vector<int>{a, c, d});
        }
    grid.normalFaces = grid.texCoordFaces = grid.faces;
    captureConsole([&] { grid.computeNormals(); });
    grid.textureId = texture;
    grid.textureOnAllFaces = true;
    for (std::size_t v = 0; v < grid.vertices.size(); ++v)
        grid.vertexPart.edit().push_back(grid.vertices[v].x < 0 ? 1 : 3);
    for (std::size_t f = 0; f < grid.faces.size(); ++f) {
        grid.facePart.edit().push_back(f % 11 == 0 ? -1 : 1);
        grid.faceVisible.edit().push_back(f % 3 == 0 ? 0 : 1);
    }
    viewCamera.rotation = {-0.3f, 0.1f, 0.0f, 0.95f};
    viewCamera.translation = {0, 0, -35};

    for (int variant : {0, 1, 4, 7}) {
        SimpleMesh mesh = grid;
        mesh.hideInvisibleFaces = (variant >> 1) & 1;
        mesh.drawBackFaces = (variant >> 2) & 1;
        expectSameDrawing(mesh, variant & 1, "grid, variant " + std::to_string(variant));
    }
    // As "Open Mesh" leaves it (every face seen, none on a seam), textured with parts painted
    // and plain: the arrays made by position, without searching.
    SimpleMesh opened = grid;
    opened.faceVisible.edit().assign(grid.faces.size(), 1);
    opened.facePart.edit().assign(grid.faces.size(), 0);
    expectSameDrawing(opened, false, "grid as opened, parts painted");
    opened.texCoordFaces.clear();
    expectSameDrawing(opened, false, "grid as opened, plain");
    EXPECT_EQ(
        pixelDifference(idImage(grid, true, true).pixels, idImage(grid, true, false).pixels, 3),
        "");
}

// Each change is one that shows on the screen (checked on the reference drawing), applied
// to the mesh in place after its buffers were built. Between them every field that the
// drawings and the ID pass read changes once, so a cache that misses one draws stale.
TEST_F(RenderEquality, EveryChangeToAMeshShowsInItsNextDrawing) {
    SimpleMesh mesh = texturedBlob();
    SimpleMesh other = makeBlob(6, 9, true);
    other.textureId = texture;
    other.textureOnAllFaces = true;
    // Runs edit on every index in [begin, end) of a mesh array.
    auto each = [](std::size_t begin, std::size_t end, auto edit) {
        for (std::size_t i = begin; i < end; ++i)
            edit(i);
    };
    // Sets entries [begin, end) of a mesh array to value.
    auto fill = [](auto& array, std::size_t begin, std::size_t end, auto value) {
        std::fill(array.edit().begin() + begin, array.edit().begin() + end, value);
    };
    const Vec3 up{0, 1, 0};
    const Vec2 corner{0.9f, 0.1f};
    const std::pair<std::string, std::function<void()>> changes[] = {
        {"vertex parts", [&] { fill(mesh.vertexPart, 0, 40, 2); }},
        {"face parts", [&] { fill(mesh.facePart, 20, 60, -1); }},
        {"drawBackFaces", [&] { mesh.drawBackFaces = 0; }},
        {"face visibility",
         [&] { each(10, 50, [&](auto f) { mesh.faceVisible.edit()[f] ^= 1; }); }},
        {"hideInvisibleFaces", [&] { mesh.hideInvisibleFaces = 1; }},
        {"positions", [&] { each(10, 30, [&](auto v) { mesh.vertices.edit()[v].z += 4; }); }},
        {"normals", [&] { fill(mesh.normals, 0, 40, up); }},
        {"normal corners",
         [&] { each(20, 60, [&](auto f) { mesh.normalFaces.edit()[f][0] = 0; }); }},
        {"texture coordinates", [&] { fill(mesh.texCoords, 0, 40, corner); }},
        {"face corners", [&] { each(20, 40, [&](auto f) { mesh.faces.edit()[f][1] = 3; }); }},
        {"texture-coordinate corners",
         [&] { each(20, 60, [&](auto f) { mesh.texCoordFaces.edit()[f][0] = 0; }); }},
        {"assignment of another model", [&] { mesh = other; }},
        {"no texture name", [&] { mesh.textureId = 0; }},
        {"no texture coordinates", [&] { mesh.texCoords.clear(), mesh.texCoordFaces.clear(); }},
        {"positions of the plain model",
         [&] { each(30, 50, [&](auto v) { mesh.vertices.edit()[v].z += 3; }); }},
    };
    auto referenceFrames = [&] {
        return std::vector<Frame>{drawFrame([&] { immediate::draw(mesh, false); }),
                                  drawFrame([&] { immediate::draw(mesh, true); })};
    };
    // One drawing at a time: drawing the other in between would rebuild the buffers anyway.
    for (bool outputShown : {false, true}) {
        mesh = texturedBlob();
        mesh.draw(outputShown); // buffers built before the first change
        idImage(mesh, true, true);
        std::vector<Frame> before = referenceFrames();
        for (const auto& [name, change] : changes) {
            change();
            const std::vector<Frame> after = referenceFrames();
            EXPECT_TRUE(after[0].pixels != before[0].pixels || after[1].pixels != before[1].pixels)
                << "changing " << name << " changes nothing on the screen";
            expectSameFrame(drawFrame([&] { mesh.draw(outputShown); }), after[outputShown],
                            "after changing " + name + (outputShown ? ", output" : ", input"));
            // The ID pass keeps its own buffer: it must follow position and face changes too.
            EXPECT_EQ(pixelDifference(idImage(mesh, true, true).pixels,
                                      idImage(mesh, true, false).pixels, 3),
                      "")
                << "ID image after changing " << name;
            before = after;
        }
    }
}

TEST_F(RenderEquality, CopiesDrawWithBuffersOfTheirOwn) {
    SimpleMesh original = texturedBlob();
    original.draw(false);
    {
        SimpleMesh copy = original;
        copy.vertexPart.edit().assign(copy.vertexPart.size(), 2);
        expectSameDrawing(copy, false, "a copy, repainted");
        original = copy; // keeps the original's buffers, rebuilt from the copy's data
        expectSameDrawing(original, false, "the original after assignment");
    } // the copy's buffers go; the original's must still draw
    expectSameDrawing(original, false, "the original after the copy was destroyed");
    original.vertexPart.edit().assign(original.vertexPart.size(), 1);
    expectSameDrawing(original, false, "the original repainted");
}

} // namespace
