#include "mesh/texture.h"
#include "tests/mesh/mesh_test_util.h"

#include <GL/gl.h>

#include <cmath>

namespace {

using Rgb = std::array<int, 3>;
constexpr int size = 64;

// Square i of a 4 x 4 grid of 8-pixel squares; its centre pixel is read back.
int squareX(int i) {
    return (i % 4) * 16 + 4;
}
int squareY(int i) {
    return (i / 4) * 16 + 4;
}

// Adds square i to mesh with its own four vertices, all in `part`, texture coordinate `uv`
// at every corner; clockwise = facing away from the viewer.
void addSquare(SimpleMesh& mesh, int i, int part, int visible, Vec2 uv = {0, 0},
               bool clockwise = false) {
    const int v = static_cast<int>(mesh.vertices.size());
    const float x = static_cast<float>(squareX(i)), y = static_cast<float>(squareY(i));
    mesh.vertices.edit().insert(mesh.vertices.end(),
                                {{x, y, 0}, {x + 8, y, 0}, {x + 8, y + 8, 0}, {x, y + 8, 0}});
    mesh.normals.edit().insert(mesh.normals.end(), 4, Vec3{0, 0, 1});
    mesh.texCoords.edit().push_back(uv);
    const int t = static_cast<int>(mesh.texCoords.size()) - 1;
    const std::vector<int> corners = clockwise ? std::vector<int>{v, v + 3, v + 2, v + 1}
                                               : std::vector<int>{v, v + 1, v + 2, v + 3};
    mesh.faces.edit().push_back(corners);
    mesh.normalFaces.edit().push_back(corners);
    mesh.texCoordFaces.edit().push_back(std::vector<int>{t, t, t, t});
    mesh.faceVisible.edit().push_back(visible);
    mesh.facePart.edit().push_back(part);
    mesh.vertexPart.edit().insert(mesh.vertexPart.end(), 4, part);
}

// The offscreen context with a pixel-exact orthographic view, lighting off so that pixels
// show the drawn colours themselves, and a 2 x 2 texture that is white at its bottom left
// (texture coordinate (0, 0)) and black elsewhere.
class MeshDraw : public testing::Test {
  protected:
    void SetUp() override {
        testContext(size, size);
        installTextureDeleter();
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glViewport(0, 0, size, size);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glOrtho(0, size, 0, size, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        glDisable(GL_LIGHTING);
        const Rgba white{255, 255, 255, 255}, black{0, 0, 0, 255};
        saveImage(dir.file("corner.bmp"), 2, 2, {black, black, white, black}); // top row first
        captureConsole([&] { mesh.loadTexture(dir.file("corner.bmp"), {}); });
    }
    void TearDown() override {
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
        glPopAttrib();
    }

    void render(bool outputShown) {
        glClearColor(0, 0, 0.4f, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        mesh.draw(outputShown);
        glFinish();
    }
    void expectPixel(int square, Rgb expected, const char* what) {
        std::uint8_t p[4] = {};
        glReadPixels(squareX(square) + 4, squareY(square) + 4, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(p[i], expected[i], 1) << what << ", channel " << i;
    }

    TempDir dir;
    SimpleMesh mesh;
};

const Rgb background{0, 0, 102}, white{255, 255, 255};
// White drawn with alpha 0.15 over the background.
const Rgb faint{38, 38, 125};

} // namespace

TEST_F(MeshDraw, InputModelShowsTintsTranslucencyAndBackFaces) {
    addSquare(mesh, 0, 1, 1);
    addSquare(mesh, 1, 2, 1);
    addSquare(mesh, 2, 3, 1);
    addSquare(mesh, 3, 1, 1);
    mesh.vertexPart.edit()[13] = 2; // square 3 has corners in parts 1 and 2: a border face
    mesh.facePart.edit()[3] = -1;
    addSquare(mesh, 4, 0, 0);               // not seen from the camera
    addSquare(mesh, 5, 0, 1, {0, 0}, true); // seen, facing away
    addSquare(mesh, 6, 0, 0, {0, 0}, true); // not seen, facing away
    addSquare(mesh, 7, 1, 1, {1, 1});       // black texel under a green tint
    mesh.drawBackFaces = 1;

    render(false);
    expectPixel(0, {0, 255, 0}, "part 1");
    expectPixel(1, {0, 255, 179}, "part 2");
    expectPixel(2, {179, 255, 0}, "part 3");
    expectPixel(3, white, "border face");
    expectPixel(4, faint, "unseen face");
    expectPixel(5, {179, 179, 179}, "grey back face");
    expectPixel(6, background, "unseen back face");
    expectPixel(7, {0, 0, 0}, "texel times tint");
    GLint bound = -1, cullMode = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetIntegerv(GL_CULL_FACE_MODE, &cullMode);
    EXPECT_EQ(bound, 0);
    EXPECT_EQ(cullMode, GL_BACK);

    // Without a texture name the tints show on their own.
    const unsigned texture = mesh.textureId;
    mesh.textureId = 0;
    render(false);
    expectPixel(7, {0, 255, 0}, "untextured part 1");
    mesh.textureId = texture;
}

TEST_F(MeshDraw, OutputModelHasNoTintsAndHidesUnseenFaces) {
    addSquare(mesh, 0, 1, 1);
    addSquare(mesh, 1, 2, 1);
    addSquare(mesh, 2, 3, 1);
    addSquare(mesh, 4, 0, 0);
    addSquare(mesh, 5, 0, 1, {0, 0}, true);
    render(true);
    for (int square : {0, 1, 2})
        expectPixel(square, white, "output model");
    expectPixel(4, faint, "unseen face shown");

    mesh.hideInvisibleFaces = 1;
    glCullFace(GL_FRONT);
    render(true);
    expectPixel(4, background, "unseen face hidden");
    expectPixel(5, background, "back faces off");
    GLint cullMode = 0;
    glGetIntegerv(GL_CULL_FACE_MODE, &cullMode);
    EXPECT_EQ(cullMode, GL_BACK);

    // Without texture coordinates: the current colour, no tint, no translucency, culling as set.
    mesh.texCoords.clear();
    mesh.texCoordFaces.clear();
    mesh.drawBackFaces = 1;
    glColor4f(1, 0.5f, 0, 1);
    render(false);
    expectPixel(0, {255, 128, 0}, "plain part 1");
    expectPixel(4, {255, 128, 0}, "plain unseen face");
    expectPixel(5, background, "plain back face");
}
