// Models of several materials as the window shows them: each face with its own material's
// image or colour, "Open Texture" over all of them, images that cannot be used, and normals
// that are not of unit length.
#include "tests/app/app_fixture.h"
#include "tests/support/images.h"

#include <filesystem>
#include <sstream>

#include <sys/stat.h>

namespace {

// Two quads side by side facing the viewer, x from -2 to 0 and from 0 to 2; the first face
// wears material "left", the second "right".
std::string twoQuads(const std::string& normal = "0 0 1") {
    return "mtllib quads.mtl\nv -2 -1 0\nv 0 -1 0\nv 0 1 0\nv -2 1 0\nv 2 -1 0\nv 2 1 0\n"
           "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn " +
           normal +
           "\nusemtl left\nf 1/1/1 2/2/1 3/3/1 4/4/1\nusemtl right\nf 2/1/1 5/2/1 6/3/1 "
           "3/4/1\n";
}

class Materials : public OffscreenAppTest {
  protected:
    void SetUp() override {
        OffscreenAppTest::SetUp();
        saveImage(dir.file("red.png"), 2, 2, std::vector<Rgba>(4, Rgba{255, 0, 0, 255}));
        saveImage(dir.file("blue.png"), 2, 2, std::vector<Rgba>(4, Rgba{0, 0, 255, 255}));
        saveImage(dir.file("green.png"), 2, 2, std::vector<Rgba>(4, Rgba{0, 255, 0, 255}));
    }

    // Writes the model and its MTL file, runs the session's lines after opening it and
    // returns the window's pixels at the middle of the left and the right quad. console
    // receives what opening printed on standard error.
    std::array<std::array<unsigned char, 3>, 2> shoot(const std::string& obj,
                                                      const std::string& mtl,
                                                      const std::string& after = "",
                                                      std::string* console = nullptr) {
        writeFile(dir.file("quads.obj"), obj);
        writeFile(dir.file("quads.mtl"), mtl);
        const std::string shot = dir.file("shot.png");
        Console c = captureConsole([&] {
            EXPECT_EQ(run("open-mesh " + dir.file("quads.obj") + "\n" + after + "frame\n" +
                          "screenshot " + shot + "\n"),
                      0);
        });
        if (console)
            *console = c.err;
        int width = 0, height = 0;
        const std::vector<unsigned char> pixels = loadTopDown(shot, width, height);
        std::array<std::array<unsigned char, 3>, 2> out{};
        if (pixels.size() != std::size_t(640) * 480 * 3) {
            ADD_FAILURE() << "no screenshot";
            return out;
        }
        for (int side = 0; side < 2; ++side) {
            const unsigned char* p = &pixels[(240 * 640 + (side == 0 ? 200 : 440)) * 3];
            out[side] = {p[0], p[1], p[2]};
        }
        return out;
    }

    // The two quads with one texture on every face (a model of one material).
    std::array<std::array<unsigned char, 3>, 2> withTexture(const std::string& image) {
        return shoot(twoQuads(), "", "open-texture " + dir.file(image) + "\n");
    }

    TempDir dir;
};

} // namespace

// Each quad shows its own material's image, as it would with that image on every face, also
// once exported to glTF and opened again; "Open Texture" puts its image on both.
TEST_F(Materials, EachFaceShowsItsMaterialsImage) {
    const auto red = withTexture("red.png"), blue = withTexture("blue.png"),
               green = withTexture("green.png");
    EXPECT_GT(red[0][0], 100);
    EXPECT_EQ(red[0][1] + red[0][2], 0);
    const std::string mtl = "newmtl left\nKd 0.5 0.5 0.5\nmap_Kd red.png\n"
                            "newmtl right\nKd 0.5 0.5 0.5\nmap_Kd blue.png\n";
    std::string console;
    EXPECT_EQ(shoot(twoQuads(), mtl, "", &console), (std::array{red[0], blue[1]}));
    EXPECT_EQ(console, "SimpleMesh::load: " + dir.file("quads.obj") + " loaded\n" +
                           "SimpleMesh::loadTexture: " + dir.file("red.png") + " (2x2)\n" +
                           "SimpleMesh::loadTexture: " + dir.file("blue.png") + " (2x2)\n");
    EXPECT_EQ(inputMesh.materials.size(), 3u); // the default, then "left" and "right"
    EXPECT_EQ(inputMesh.faceMaterial, (std::vector<int>{1, 2}));
    EXPECT_EQ(shoot(twoQuads(), mtl, "open-texture " + dir.file("green.png") + "\n"), green);
    // The same after "Export" and opening the exported glTF file.
    const auto home = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    EXPECT_EQ(shoot(twoQuads(), mtl, "export\nopen-mesh data/export.glb\n", &console),
              (std::array{red[0], blue[1]}));
    std::filesystem::current_path(home);
    EXPECT_NE(console.find("SimpleMesh::load: data/export.glb loaded\n"), std::string::npos);
    EXPECT_EQ(inputMesh.faces.size(), 4u); // each quad split in two
    // Two materials naming one image load it once.
    EXPECT_EQ(shoot(twoQuads(), "newmtl left\nmap_Kd red.png\nnewmtl right\nmap_Kd red.png\n", "",
                    &console),
              red);
    EXPECT_EQ(console, "SimpleMesh::load: " + dir.file("quads.obj") + " loaded\n" +
                           "SimpleMesh::loadTexture: " + dir.file("red.png") + " (2x2)\n");
}

// A material's image that cannot be used is named in one line, and its faces show the
// material's colour exactly as they do when it names no image, never the image of the model
// opened before.
TEST_F(Materials, ImagesThatCannotBeUsedLeaveTheMaterialsColour) {
    ASSERT_EQ(mkfifo(dir.file("fifo.png").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.file("folder.png"));
    writeFile(dir.file("garbage.png"), "no picture at all");
    const std::string colours = "newmtl left\nKd 0.2 0.6 0.9\n";
    const std::string bothColours = colours + "newmtl right\nKd 0.9 0.6 0.2\n";
    const auto plain = shoot(twoQuads(), bothColours);
    EXPECT_NE(plain[0], plain[1]);
    struct Case {
        std::string image, line;
    };
    const std::string notFound = "SimpleMesh::load: image not found: ",
                      notRegular = "SimpleMesh::load: image is not a regular file: ",
                      undecodable = "SimpleMesh::loadTexture: cannot load texture: ";
    const Case cases[] = {
        {"missing.png", notFound + dir.file("missing.png")},
        {"fifo.png", notRegular + dir.file("fifo.png")},
        {"folder.png", notRegular + dir.file("folder.png")},
        {"/dev/zero", notRegular + "/dev/zero"},
        {"garbage.png", undecodable + dir.file("garbage.png")},
    };
    for (const Case& c : cases)
        for (const std::string& second : {std::string(), std::string("right")}) {
            // One material (both faces "left") or two (the second "right", with no image).
            std::string obj = twoQuads(), console;
            std::string oneMaterial = obj;
            oneMaterial.replace(oneMaterial.find("usemtl right"), 12, "usemtl left");
            if (second.empty())
                obj = oneMaterial;
            // First a model of one material whose image is the texture of every face.
            shoot(oneMaterial, "newmtl left\nmap_Kd green.png\n");
            const std::string mtl = "newmtl left\nKd 0.2 0.6 0.9\nmap_Kd " + c.image + "\n" +
                                    (second.empty() ? "" : "newmtl right\nKd 0.9 0.6 0.2\n");
            const auto shown = shoot(obj, mtl, "", &console);
            EXPECT_EQ(shown, second.empty() ? shoot(obj, colours) : plain) << c.image;
            std::istringstream lines(console);
            std::string line, said;
            for (std::string line; std::getline(lines, line);)
                if (line.find("image") != std::string::npos ||
                    line.find("texture") != std::string::npos)
                    said += line + "\n";
            EXPECT_EQ(said, c.line + "\n") << c.image << (second.empty() ? "" : ", two materials");
        }
}

// Normals are lit as unit vectors, whatever length the file gives them; a normal of no
// direction is replaced by the face's own.
TEST_F(Materials, NormalsOfAnyLengthLightAsUnitNormals) {
    const std::string mtl = "newmtl left\nmap_Kd red.png\nnewmtl right\nKd 0.3 0.8 0.5\n";
    const auto unit = shoot(twoQuads("0 0 1"), mtl);
    EXPECT_EQ(shoot(twoQuads("0 0 0.01"), mtl), unit);
    EXPECT_EQ(shoot(twoQuads("0 0 25"), mtl), unit);
    std::string console;
    EXPECT_EQ(shoot(twoQuads("0 0 0"), mtl, "", &console), unit);
    EXPECT_NE(console.find("faces without a usable normal: 2, given their own"), std::string::npos);
    // Lit away from the light, the same quads look different: the comparison can fail.
    EXPECT_NE(shoot(twoQuads("0 0.8 0.6"), mtl), unit);
}
