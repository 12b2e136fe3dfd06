#include "mesh/texture.h"
#include "tests/mesh/mesh_test_util.h"

#include <GL/gl.h>
#include <IL/il.h>

#include <cmath>
#include <cstdint>

namespace {

using Rgb = std::array<int, 3>;

constexpr int size = 64;
constexpr float clearBlue = 0.4f;

// Where square i of a 4 x 4 grid of 8-pixel squares lies, and its centre pixel.
int squareX(int i) {
    return (i % 4) * 16 + 4;
}
int squareY(int i) {
    return (i / 4) * 16 + 4;
}

// A mesh of square faces drawn in pixel coordinates. Each square has its own four vertices,
// all with texture coordinate `corner` of the texture and the normal (0, 0, 1).
struct SquareMesh {
    SimpleMesh mesh;

    // Adds square i; clockwise = wound so that it faces away from the viewer.
    void add(int i, int part = 0, int visible = 1, Vec2 texCoord = {0, 0}, bool clockwise = false) {
        const int first = static_cast<int>(mesh.vertices.size());
        const float x = static_cast<float>(squareX(i)), y = static_cast<float>(squareY(i));
        mesh.vertices.insert(mesh.vertices.end(),
                             {{x, y, 0}, {x + 8, y, 0}, {x + 8, y + 8, 0}, {x, y + 8, 0}});
        mesh.normals.insert(mesh.normals.end(), 4, Vec3{0, 0, 1});
        mesh.texCoords.push_back(texCoord);
        const int t = static_cast<int>(mesh.texCoords.size()) - 1;
        const std::vector<int> ccw{first, first + 1, first + 2, first + 3};
        const std::vector<int> cw{first, first + 3, first + 2, first + 1};
        mesh.faces.push_back(clockwise ? cw : ccw);
        mesh.normalFaces.push_back(clockwise ? cw : ccw);
        mesh.texCoordFaces.push_back(std::vector<int>{t, t, t, t});
        mesh.faceVisible.push_back(visible);
        mesh.facePart.push_back(part);
        mesh.vertexPart.insert(mesh.vertexPart.end(), 4, part);
    }
};

// The offscreen context with a pixel-exact orthographic view; lighting off so that pixels show
// the drawn colours themselves.
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
        glColor4f(1, 1, 1, 1);
    }
    void TearDown() override {
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
        glPopAttrib();
    }

    // A 2 x 2 texture: white at the top left (texture coordinate (0, 0)), black elsewhere.
    unsigned cornerTexture() {
        const std::uint8_t bottomFirst[16] = {0,   0,   0,   255, 0, 0, 0, 255,
                                              255, 255, 255, 255, 0, 0, 0, 255};
        ILuint image = 0;
        ilGenImages(1, &image);
        ilBindImage(image);
        ilTexImage(2, 2, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, const_cast<std::uint8_t*>(bottomFirst));
        ilEnable(IL_FILE_OVERWRITE);
        EXPECT_TRUE(ilSaveImage(dir.file("corner.bmp").c_str()));
        ilDeleteImages(1, &image);
        SimpleMesh holder;
        captureConsole([&] { EXPECT_TRUE(holder.loadTexture(dir.file("corner.bmp"), {})); });
        const unsigned name = holder.textureId;
        holder.textureId = 0; // handed to the caller's mesh
        return name;
    }

    void render(const SimpleMesh& mesh, bool outputShown) {
        glClearColor(0, 0, clearBlue, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        mesh.draw(outputShown);
        glFinish();
    }

    Rgb pixel(int square) {
        std::uint8_t p[4] = {};
        glReadPixels(squareX(square) + 4, squareY(square) + 4, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return {p[0], p[1], p[2]};
    }

    // The colour c drawn with alpha a over the clear colour.
    static Rgb blended(std::array<float, 3> c, float a) {
        const float under[3] = {0, 0, clearBlue};
        Rgb out;
        for (int i = 0; i < 3; ++i)
            out[i] = static_cast<int>(std::lround(255 * (a * c[i] + (1 - a) * under[i])));
        return out;
    }

    void expectPixel(int square, Rgb expected, const char* what) {
        const Rgb actual = pixel(square);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(actual[i], expected[i], 1)
                << what << ": square " << square << " channel " << i;
    }

    TempDir dir;
};

const Rgb background{0, 0, 102};
const Rgb white{255, 255, 255};
const Rgb grey{179, 179, 179};

} // namespace

TEST_F(MeshDraw, InputModelShowsPartTintsTranslucencyAndBackFaces) {
    SquareMesh m;
    m.add(0, 1);
    m.add(1, 2);
    m.add(2, 3);
    m.add(3, 1);                  // becomes a border face below
    m.add(4, 0, 0);               // not seen from the camera: alpha 0.15
    m.add(5, 0, 1, {0, 0}, true); // seen, facing away: grey back face
    m.add(6, 0, 0, {0, 0}, true); // not seen, facing away: never drawn
    m.add(7, 1, 1, {1, 1});       // black texel, tinted green: black
    m.mesh.vertexPart[13] = 2;    // square 3 has corners in parts 1 and 2
    m.mesh.facePart[3] = -1;
    m.mesh.drawBackFaces = 1;
    m.mesh.textureId = cornerTexture();

    render(m.mesh, false);
    expectPixel(0, {0, 255, 0}, "part 1");
    expectPixel(1, {0, 255, 179}, "part 2");
    expectPixel(2, {179, 255, 0}, "part 3");
    expectPixel(3, white, "border face");
    expectPixel(4, blended({1, 1, 1}, 0.15f), "unseen face");
    expectPixel(5, grey, "back face");
    expectPixel(6, background, "unseen back face");
    expectPixel(7, {0, 0, 0}, "texel modulates the tint");
    expectPixel(8, background, "nothing there");

    // The textured pass ends with back-face culling and no texture bound.
    GLint bound = -1, cullMode = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetIntegerv(GL_CULL_FACE_MODE, &cullMode);
    EXPECT_EQ(bound, 0);
    EXPECT_EQ(cullMode, GL_BACK);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
}

TEST_F(MeshDraw, OutputModelHasNoTintsAndHidesUnseenFaces) {
    SquareMesh m;
    m.add(0, 1);
    m.add(1, 2);
    m.add(2, 3);
    m.add(4, 0, 0);
    m.add(5, 0, 1, {0, 0}, true);
    m.mesh.textureId = cornerTexture();

    m.mesh.drawBackFaces = 1;
    render(m.mesh, true);
    for (int square : {0, 1, 2})
        expectPixel(square, white, "output model");
    expectPixel(4, blended({1, 1, 1}, 0.15f), "unseen face shown");

    m.mesh.hideInvisibleFaces = 1;
    m.mesh.drawBackFaces = 0;
    glCullFace(GL_FRONT);
    render(m.mesh, true);
    expectPixel(4, background, "unseen face hidden");
    expectPixel(5, background, "back faces off");
    GLint cullMode = 0;
    glGetIntegerv(GL_CULL_FACE_MODE, &cullMode);
    EXPECT_EQ(cullMode, GL_BACK);
}

TEST_F(MeshDraw, WithoutTextureNameTheTintsStillShow) {
    SquareMesh m;
    m.add(0, 3, 1, {1, 1});
    m.add(1, 0, 0);
    render(m.mesh, false);
    expectPixel(0, {179, 255, 0}, "untextured part 3");
    expectPixel(1, blended({1, 1, 1}, 0.15f), "untextured unseen face");
}

TEST_F(MeshDraw, PlainPassUsesTheCurrentColourAndCulling) {
    SquareMesh m;
    m.add(0, 1);
    m.add(1, 0, 0);
    m.add(2, 0, 1, {0, 0}, true);
    m.mesh.texCoords.clear();
    m.mesh.texCoordFaces.clear();
    m.mesh.drawBackFaces = 1;
    glColor4f(1, 0.5f, 0, 1);
    glCullFace(GL_BACK);
    render(m.mesh, false);
    expectPixel(0, {255, 128, 0}, "no tint");
    expectPixel(1, {255, 128, 0}, "no translucency");
    expectPixel(2, background, "no back-face pass");
}
