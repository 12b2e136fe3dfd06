#include "mesh/texture.h"
#include "tests/mesh/mesh_test_util.h"

#include <GL/gl.h>
#include <IL/il.h>

#include <cstdint>

namespace {

using Rgba = std::array<std::uint8_t, 4>;

// Saves a width x height picture, rows given top row first, through DevIL (whose new images
// keep their rows bottom first).
void saveImage(const std::string& path, int width, int height, const std::vector<Rgba>& topFirst) {
    std::vector<Rgba> bottomFirst;
    for (int row = height - 1; row >= 0; --row)
        bottomFirst.insert(bottomFirst.end(), topFirst.begin() + row * width,
                           topFirst.begin() + (row + 1) * width);
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ilTexImage(width, height, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, bottomFirst.data());
    ilEnable(IL_FILE_OVERWRITE);
    ASSERT_TRUE(ilSaveImage(path.c_str())) << path;
    ilDeleteImages(1, &image);
}

struct TextureLevel {
    GLint width = 0, height = 0, format = 0;
    std::vector<Rgba> texels; // rows in upload order
};

TextureLevel readTexture(unsigned texture) {
    TextureLevel level;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &level.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &level.height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &level.format);
    level.texels.resize(static_cast<std::size_t>(level.width) * level.height);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, level.texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return level;
}

GLint textureParameter(unsigned texture, GLenum name) {
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    glBindTexture(GL_TEXTURE_2D, 0);
    return value;
}

class Texture : public testing::Test {
  protected:
    void SetUp() override {
        testContext(64, 64);
        installTextureDeleter();
    }
    Console loadTexture(const std::string& name) {
        return captureConsole([&] { loaded = mesh.loadTexture(name, {dir.path().string()}); });
    }
    TempDir dir;
    SimpleMesh mesh;
    bool loaded = false;
};

const Rgba red{255, 0, 0, 255}, green{0, 255, 0, 255}, blue{0, 0, 255, 255};

} // namespace

TEST_F(Texture, ImageUploadsAtItsSizeTopRowFirst) {
    std::vector<Rgba> picture(512 * 256, green);
    std::fill(picture.begin(), picture.begin() + 512, red); // top row
    std::fill(picture.end() - 512, picture.end(), blue);    // bottom row
    saveImage(dir.file("wide.bmp"), 512, 256, picture);

    Console console = loadTexture("wide.bmp");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(console.err, "SimpleMesh::loadTexture: wide.bmp (512x256)\n");
    ASSERT_NE(mesh.textureId, 0u);
    const TextureLevel level = readTexture(mesh.textureId);
    EXPECT_EQ(level.width, 512);
    EXPECT_EQ(level.height, 256);
    EXPECT_EQ(level.format, GL_RGBA);
    EXPECT_EQ(level.texels.front(), red); // v = 0 is the picture's top edge
    EXPECT_EQ(level.texels[512 * 100], green);
    EXPECT_EQ(level.texels.back(), blue);

    EXPECT_EQ(textureParameter(mesh.textureId, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(textureParameter(mesh.textureId, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(textureParameter(mesh.textureId, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(textureParameter(mesh.textureId, GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
    GLint mode = 0, bound = -1;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(mode, GL_MODULATE);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
}

TEST_F(Texture, LaterImagesReuseTheNameAndFailuresKeepTheTexture) {
    saveImage(dir.file("first.bmp"), 8, 4, std::vector<Rgba>(32, red));
    saveImage(dir.file("second.bmp"), 4, 2, std::vector<Rgba>(8, blue));
    writeFile(dir.file("corrupt.bmp"), "BM this is no bitmap at all");
    writeFile(dir.file("truncated.png"), "\x89PNG\r\n\x1a\n\0\0\0\rIHDR");

    loadTexture("first.bmp");
    const unsigned name = mesh.textureId;
    ASSERT_NE(name, 0u);
    Console second = loadTexture("second.bmp");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(second.err, "SimpleMesh::loadTexture: second.bmp (4x2)\n");
    EXPECT_EQ(mesh.textureId, name);

    struct Case {
        std::string name, out;
    };
    const Case failures[] = {{"corrupt.bmp", ""},
                             {"truncated.png", ""},
                             {"missing.png", "file not found: missing.png\n"}};
    for (const Case& c : failures) {
        Console console = loadTexture(c.name);
        EXPECT_FALSE(loaded) << c.name;
        EXPECT_EQ(console.out, c.out);
        EXPECT_EQ(console.err, "SimpleMesh::loadTexture: cannot load texture: " + c.name + "\n");
        EXPECT_EQ(mesh.textureId, name);
        const TextureLevel level = readTexture(name);
        EXPECT_EQ(level.width, 4);
        EXPECT_EQ(level.texels.front(), blue);
    }
}

TEST_F(Texture, GreyPicturesBecomeRgba) {
    const std::uint8_t grey[4] = {10, 200, 10, 200};
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ilTexImage(2, 2, 1, 1, IL_LUMINANCE, IL_UNSIGNED_BYTE, const_cast<std::uint8_t*>(grey));
    ilEnable(IL_FILE_OVERWRITE);
    ASSERT_TRUE(ilSaveImage(dir.file("grey.pgm").c_str()));
    ilDeleteImages(1, &image);

    Console console = loadTexture("grey.pgm");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(console.err, "SimpleMesh::loadTexture: grey.pgm (2x2)\n");
    const TextureLevel level = readTexture(mesh.textureId);
    ASSERT_EQ(level.texels.size(), 4u);
    for (const Rgba& texel : level.texels) {
        EXPECT_EQ(texel[0], texel[1]);
        EXPECT_EQ(texel[1], texel[2]);
        EXPECT_TRUE(texel[0] == 10 || texel[0] == 200);
        EXPECT_EQ(texel[3], 255);
    }
}
