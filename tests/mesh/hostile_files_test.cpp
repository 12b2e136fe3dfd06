// Files that are not what they claim to be: FIFOs, folders and devices given as models,
// materials or textures; lines of 100 MB; indices that overflow every integer type; images
// that are no image, a single pixel, or larger than the OpenGL context takes. Each gives its
// console line, never hangs, and leaves the model and texture as they were.
#include "mesh/texture.h"
#include "tests/mesh/mesh_test_util.h"

#include <GL/gl.h>

#include <fstream>

#include <sys/stat.h>

namespace {

const std::string kTriangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";

// A folder with a model already loaded, as a session that opens a bad file next has it.
class HostileFiles : public testing::Test {
  protected:
    void SetUp() override {
        writeFile(dir.file("good.obj"), kTriangle);
        ASSERT_TRUE(load("good.obj").err.ends_with("loaded\n"));
        before = mesh;
    }

    Console load(const std::string& name) {
        return captureConsole([&] { loaded = mesh.load(name, {dir.path().string()}); });
    }

    // Expects name to be refused as no regular file, with the model kept.
    void expectNotRead(const std::string& name) {
        const Console c = load(name);
        EXPECT_FALSE(loaded) << name;
        EXPECT_EQ(c.out, "file not found: " + name + "\n");
        EXPECT_EQ(c.err, "findFile: not a regular file: " + dir.file(name) +
                             "\nObjLoader::loader: error: invalid extention\n"
                             "SimpleMesh::load: cannot load file: " +
                             name + "\n");
        expectSameMesh(mesh, before);
    }

    TempDir dir;
    SimpleMesh mesh, before;
    bool loaded = false;
};

// Writes a file of head, then copies of unit up to at least bytes, then tail. Returns the
// number of copies.
std::size_t writeLongFile(const std::string& path, const std::string& head, const std::string& unit,
                          std::size_t bytes, const std::string& tail) {
    std::ofstream out(path, std::ios::binary);
    out << head;
    std::string block;
    std::size_t perBlock = 0, copies = 0;
    for (; block.size() < (1u << 20); ++perBlock)
        block += unit;
    for (std::size_t written = 0; written < bytes; written += block.size(), copies += perBlock)
        out << block;
    out << tail;
    return copies;
}

// An RLE-compressed TGA of width x height pixels of one colour: a few megabytes even for a
// picture of a gigabyte.
void writeSolidTga(const std::string& path, int width, int height) {
    std::string tga(18, '\0');
    tga[2] = 10; // run-length encoded true colour
    tga[12] = char(width & 255);
    tga[13] = char(width >> 8);
    tga[14] = char(height & 255);
    tga[15] = char(height >> 8);
    tga[16] = 24;
    std::size_t pixels = std::size_t(width) * height;
    std::ofstream out(path, std::ios::binary);
    out << tga;
    const char fullRun[4] = {char(0xFF), 0x40, char(0x80), char(0xC0)}; // 128 pixels, BGR
    for (; pixels >= 128; pixels -= 128)
        out.write(fullRun, 4);
    if (pixels > 0) {
        const char lastRun[4] = {char(0x80 | (pixels - 1)), 0x40, char(0x80), char(0xC0)};
        out.write(lastRun, 4);
    }
}

GLint textureWidth(unsigned texture) {
    GLint width = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glBindTexture(GL_TEXTURE_2D, 0);
    return width;
}

} // namespace

TEST_F(HostileFiles, FifoFolderAndDeviceAreNeverReadAsModels) {
    ASSERT_EQ(mkfifo(dir.file("fifo.obj").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.file("folder.obj"));
    std::filesystem::create_symlink("/dev/zero", dir.file("zero.obj"));
    for (const std::string name : {"fifo.obj", "folder.obj", "zero.obj"})
        expectNotRead(name);
}

TEST_F(HostileFiles, MaterialFilesThatAreNoFilesAreSkipped) {
    // The reader resolves MTL names against the working directory: name them absolutely.
    ASSERT_EQ(mkfifo(dir.file("fifo.mtl").c_str(), 0600), 0);
    const std::string names[] = {dir.file("fifo.mtl"), "/dev/zero", dir.path().string()};
    for (const std::string& name : names) {
        writeFile(dir.file("m.obj"), "mtllib " + name + "\n" + kTriangle);
        const Console c = load("m.obj");
        EXPECT_TRUE(loaded) << name;
        EXPECT_EQ(c.err, "ObjLoader::readMaterialFile: cannot open file: " + name +
                             "\nSimpleMesh::computeNormals: called\nSimpleMesh::load: m.obj "
                             "loaded\n");
    }
}

TEST_F(HostileFiles, IndicesBeyondEveryIntegerTypeAreOutOfRange) {
    const std::string range = "SimpleMesh::load: index out of range: big.obj\n";
    const std::string full = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvn 0 0 1\nf 1/1/1 2/1/1 ";
    for (const std::string i : {"2147483648", "4294967296", "4294967297", "18446744073709551617",
                                "99999999999999999999999999999999999999"}) {
        for (const std::string& text :
             {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 " + i + "\n", full + i + "/1/1\n",
              full + "1/" + i + "/1\n", full + "1/1/" + i + "\n"}) {
            writeFile(dir.file("big.obj"), text);
            const Console c = load("big.obj");
            EXPECT_FALSE(loaded) << text;
            EXPECT_EQ(c.err, range) << text;
            expectSameMesh(mesh, before);
        }
    }
}

TEST_F(HostileFiles, LinesOf100MegabytesReadInFull) {
    constexpr std::size_t kLine = std::size_t{100} << 20;
    // A comment line: skipped whole, the model after it is read.
    writeLongFile(dir.file("comment.obj"), "# ", "comment ", kLine, "\n" + kTriangle);
    EXPECT_EQ(load("comment.obj").err,
              "SimpleMesh::computeNormals: called\nSimpleMesh::load: comment.obj loaded\n");
    EXPECT_EQ(mesh.vertices.size(), 3u);
    EXPECT_EQ(mesh.faces.size(), 1u);

    // One face of some 50 million corners.
    const std::size_t units =
        writeLongFile(dir.file("face.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\nf", " 1 2 3", kLine, "\n");
    EXPECT_EQ(load("face.obj").err,
              "SimpleMesh::computeNormals: called\nSimpleMesh::load: face.obj loaded\n");
    ASSERT_EQ(mesh.faces.size(), 1u);
    EXPECT_EQ(mesh.faces[0].size(), 3 * units);
    EXPECT_EQ(mesh.faces[0][mesh.faces[0].size() - 1], 2);

    // A coordinate of 100 million digits is beyond the float range: the largest float, and
    // the rest of the line is not read.
    writeLongFile(dir.file("number.obj"), "v ", "9999999999", kLine, " 7 7\n" + kTriangle);
    EXPECT_TRUE(load("number.obj").err.ends_with("number.obj loaded\n"));
    ASSERT_EQ(mesh.vertices.size(), 4u);
    EXPECT_EQ(triples(mesh.vertices)[0], (Triple{3.40282347e38f, 0, 0}));
}

TEST(HostileTextures, NoImageOnePixelAndTooLargeKeepTheTexture) {
    testContext(64, 64);
    installTextureDeleter();
    TempDir dir;
    saveImage(dir.file("small.bmp"), 4, 2, std::vector<Rgba>(8, Rgba{0, 0, 255, 255}));
    saveImage(dir.file("pixel.bmp"), 1, 1, std::vector<Rgba>(1, Rgba{0, 0, 255, 255}));
    writeFile(dir.file("text.png"), "this is no picture\n");
    writeSolidTga(dir.file("wide.tga"), 32768, 1);
    ASSERT_EQ(mkfifo(dir.file("fifo.png").c_str(), 0600), 0);
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    ASSERT_LT(maxSize, 32768) << "the context takes textures of any size this test can make";

    SimpleMesh mesh;
    bool loaded = false;
    auto load = [&](const std::string& name) {
        return captureConsole([&] { loaded = mesh.loadTexture(name, {dir.path().string()}); });
    };
    EXPECT_EQ(load("pixel.bmp").err, "SimpleMesh::loadTexture: pixel.bmp (1x1)\n");
    EXPECT_EQ(load("small.bmp").err, "SimpleMesh::loadTexture: small.bmp (4x2)\n");
    const unsigned name = mesh.textureId;

    const std::string most = std::to_string(maxSize) + "x" + std::to_string(maxSize);
    struct Case {
        std::string file, out, err;
    };
    const Case cases[] = {
        {"text.png", "", "SimpleMesh::loadTexture: cannot load texture: text.png\n"},
        {"wide.tga", "",
         "SimpleMesh::loadTexture: texture too large: wide.tga (32768x1, at most " + most + ")\n"},
        {"fifo.png", "file not found: fifo.png\n",
         "findFile: not a regular file: " + dir.file("fifo.png") +
             "\nSimpleMesh::loadTexture: cannot load texture: fifo.png\n"},
    };
    for (const Case& c : cases) {
        const Console console = load(c.file);
        EXPECT_FALSE(loaded) << c.file;
        EXPECT_EQ(console.out, c.out);
        EXPECT_EQ(console.err, c.err);
        EXPECT_EQ(mesh.textureId, name);
        EXPECT_EQ(textureWidth(name), 4);
    }
    mesh.textureId = 0;
}

// A picture of 16384 x 16384 pixels (a gigabyte once decoded) is taken when the context's
// limit allows it, and otherwise refused with the limit named; either way nothing breaks.
TEST(HostileTextures, PictureOf16384SquaredPixels) {
    testContext(64, 64);
    installTextureDeleter();
    TempDir dir;
    writeSolidTga(dir.file("huge.tga"), 16384, 16384);
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    SimpleMesh mesh;
    bool loaded = false;
    const Console c =
        captureConsole([&] { loaded = mesh.loadTexture("huge.tga", {dir.path().string()}); });
    if (maxSize >= 16384) {
        EXPECT_EQ(c.err, "SimpleMesh::loadTexture: huge.tga (16384x16384)\n");
        EXPECT_TRUE(loaded);
        EXPECT_EQ(textureWidth(mesh.textureId), 16384);
    } else {
        EXPECT_FALSE(loaded);
        EXPECT_EQ(mesh.textureId, 0u);
    }
}

// Counts that would overflow the index lists' 32-bit offsets or the int face numbers are
// refused; the limits are lowered here so that small files reach them, read whole and read
// in parts side by side.
TEST(HostileCounts, FilesBeyondTheCornerOrFaceLimitAreRefused) {
    TempDir dir;
    const std::string path = dir.file("many.obj");
    struct Case {
        std::string text;
        std::size_t corners, faces;
        std::string err;
    };
    const std::string cornersLine =
                          "ObjLoader::loader: error: too many face corners: " + path + "\n",
                      facesLine = "ObjLoader::loader: error: too many faces: " + path + "\n";
    const std::string threeFaces = kTriangle + "f 1 2 3\nf 3 2 1\n";
    const Case cases[] = {
        {threeFaces, 9, 3, ""},
        {threeFaces, 8, 3, cornersLine},
        {threeFaces, 9, 2, facesLine},
        {"f\nf\nf\nf\n", 0, 3, facesLine}, // faces without corners count too
    };
    for (const Case& c : cases) {
        writeFile(path, c.text);
        for (const std::size_t partBytes : {std::size_t{1} << 20, std::size_t{1}}) {
            ObjLoader reader;
            reader.options.limits = {c.corners, c.faces};
            reader.options.minPartBytes = partBytes;
            reader.options.threads = 3;
            reader.options.blockBytes = 16;
            bool read = false;
            const Console console = captureConsole([&] { read = reader.loader(path); });
            EXPECT_EQ(read, c.err.empty()) << c.text << " in parts of " << partBytes;
            EXPECT_EQ(console.err, c.err) << c.text << " in parts of " << partBytes;
        }
    }
}
