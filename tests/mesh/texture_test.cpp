// Texture pictures: uploaded at their size, top row first, into one texture name that later
// pictures reuse; a file that is no picture, no regular file or larger than the context takes
// keeps the texture as it was.
#include "mesh/simple_mesh.h"
#include "mesh/texture.h"
#include "tests/support/console.h"
#include "tests/support/gl_test.h"
#include "tests/support/images.h"

#include <GL/gl.h>

#include <sys/stat.h>

namespace {

struct TextureLevel {
    GLint width = 0, height = 0, format = 0, magFilter = 0, minFilter = 0, wrapS = 0, wrapT = 0;
    std::vector<Rgba> texels; // rows in upload order
};

TextureLevel readTexture(unsigned texture) {
    TextureLevel t;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &t.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &t.height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &t.format);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &t.magFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &t.minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &t.wrapS);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &t.wrapT);
    t.texels.resize(static_cast<std::size_t>(t.width) * t.height);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, t.texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return t;
}

const Rgba red{255, 0, 0, 255}, green{0, 255, 0, 255}, blue{0, 0, 255, 255};

// Pictures in a folder searched by loadTexture, into one mesh's texture.
class Texture : public testing::Test {
  protected:
    void SetUp() override {
        testContext(64, 64);
        installTextureDeleter();
    }
    Console load(const std::string& name) {
        return captureConsole([&] { loaded = mesh.loadTexture(name, {dir.path().string()}); });
    }
    TempDir dir;
    SimpleMesh mesh;
    bool loaded = false;
};

} // namespace

TEST_F(Texture, UploadsAtItsSizeBottomRowFirstAndKeepsItsName) {
    std::vector<Rgba> picture(512 * 256, green);
    std::fill(picture.begin(), picture.begin() + 512, red); // top row
    std::fill(picture.end() - 512, picture.end(), blue);    // bottom row
    saveImage(dir.file("wide.bmp"), 512, 256, picture);
    saveImage(dir.file("pixel.bmp"), 1, 1, {blue});
    EXPECT_EQ(load("wide.bmp").err, "SimpleMesh::loadTexture: wide.bmp (512x256)\n");
    ASSERT_TRUE(loaded);
    const unsigned name = mesh.textureId;
    ASSERT_NE(name, 0u);
    TextureLevel t = readTexture(name);
    EXPECT_EQ(std::vector<GLint>({t.width, t.height, t.format}),
              std::vector<GLint>({512, 256, GL_RGBA}));
    EXPECT_EQ(std::vector<GLint>({t.magFilter, t.minFilter, t.wrapS, t.wrapT}),
              std::vector<GLint>({GL_LINEAR, GL_LINEAR, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE}));
    EXPECT_EQ(t.texels.front(), blue); // v = 0 samples the picture's bottom edge, as in OBJ
    EXPECT_EQ(t.texels[512 * 100], green);
    EXPECT_EQ(t.texels.back(), red);
    GLint modeAndBinding[2] = {0, -1};
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &modeAndBinding[0]);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &modeAndBinding[1]);
    EXPECT_EQ(std::to_array(modeAndBinding), (std::array<GLint, 2>{GL_MODULATE, 0}));

    // A second picture, of one pixel, replaces the image in the same texture name.
    EXPECT_EQ(load("pixel.bmp").err, "SimpleMesh::loadTexture: pixel.bmp (1x1)\n");
    EXPECT_EQ(mesh.textureId, name);
    EXPECT_EQ(readTexture(name).texels, std::vector<Rgba>{blue});

    // A grey picture (a binary PGM, rows 10 200 and 10 200) is uploaded as RGBA.
    writeFile(dir.file("grey.pgm"), "P5 2 2 255\n\x0a\xc8\x0a\xc8");
    EXPECT_EQ(load("grey.pgm").err, "SimpleMesh::loadTexture: grey.pgm (2x2)\n");
    const Rgba dark{10, 10, 10, 255}, light{200, 200, 200, 255};
    EXPECT_EQ(readTexture(name).texels, (std::vector<Rgba>{dark, light, dark, light}));
}

TEST_F(Texture, FailuresKeepTheTexture) {
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    ASSERT_GT(maxSize, 0);
    saveImage(dir.file("small.bmp"), 4, 2, std::vector<Rgba>(8, blue));
    saveImage(dir.file("wide.bmp"), maxSize + 1, 1, std::vector<Rgba>(maxSize + 1, red));
    writeFile(dir.file("corrupt.bmp"), "BM this is no bitmap at all");
    writeFile(dir.file("truncated.png"), std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    ASSERT_EQ(mkfifo(dir.file("fifo.png").c_str(), 0600), 0);
    // A whole-chunked PNG header of 20000 x 20000 pixels, and a TGA cut to a third.
    writeFile(dir.file("huge.png"),
              std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x4e\x20\0\0\x4e\x20\x08\x06\0\0\0"
                          "CRC!\0\0\0\x01IDATxCRC!\0\0\0\0IENDCRC!",
                          58));
    saveImage(dir.file("cut.tga"), 64, 64, std::vector<Rgba>(64 * 64, red));
    writeFile(dir.file("cut.tga"), readFile(dir.file("cut.tga")).substr(0, 64 * 64 * 4 / 3));
    ASSERT_EQ(load("small.bmp").err, "SimpleMesh::loadTexture: small.bmp (4x2)\n");
    const unsigned name = mesh.textureId;

    const std::string most = std::to_string(maxSize);
    const std::string cannot = "SimpleMesh::loadTexture: cannot load texture: ";
    struct Case {
        std::string file, out, err;
    };
    const Case cases[] = {
        {"corrupt.bmp", "", cannot + "corrupt.bmp (malformed header)\n"},
        {"truncated.png", "", cannot + "truncated.png (truncated)\n"},
        {"cut.tga", "", cannot + "cut.tga (truncated)\n"},
        {"huge.png", "",
         "SimpleMesh::loadTexture: texture too large: huge.png (20000x20000, at most " + most +
             "x" + most + ")\n"},
        {"missing.png", "file not found: missing.png\n", cannot + "missing.png\n"},
        {"fifo.png", "file not found: fifo.png\n",
         "findFile: not a regular file: " + dir.file("fifo.png") + "\n" + cannot + "fifo.png\n"},
        {"wide.bmp", "",
         "SimpleMesh::loadTexture: texture too large: wide.bmp (" + std::to_string(maxSize + 1) +
             "x1, at most " + most + "x" + most + ")\n"},
    };
    for (const Case& c : cases) {
        const Console console = load(c.file);
        EXPECT_FALSE(loaded) << c.file;
        EXPECT_EQ(console.out + "|" + console.err, c.out + "|" + c.err);
        EXPECT_EQ(mesh.textureId, name);
        EXPECT_EQ(readTexture(name).texels, std::vector<Rgba>(8, blue)) << c.file;
    }
}
