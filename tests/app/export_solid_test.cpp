// "Export Solid" from the user's side: the sample after "Preview" and an empty scene, within
// the default tolerance and with one vertex per sample, each leave a closed, outward solid in
// data/, its front vertices on their pixels under the set-up camera,
// its console line its counts (tests/scripts/export_solid.sh checks the size, the volume and
// the scale against admesh; holes are among the solid test's images).
#include "app/camera.h"
#include "mesh/image_decode.h"
#include "selection/view_transform_gl.h"
#include "tests/app/app_fixture.h"
#include "tests/export/solid_checks.h"

#include <cmath>
#include <filesystem>
#include <fstream>

namespace {

class ExportSolid : public OffscreenAppTest {
  protected:
    Console runInDir(const std::string& script) {
        const auto home = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
        const Console console = captureConsole([&] { EXPECT_EQ(run(script), 0); });
        std::filesystem::current_path(home);
        return console;
    }

    // data/export_solid.obj as the program reads it back; its material brings the picture.
    SolidMesh readObj() {
        SimpleMesh mesh;
        std::string picture;
        EXPECT_TRUE(mesh.load(dir.file("data/export_solid.obj"), {}, &picture));
        EXPECT_EQ(picture, dir.file("data/export_solid.png"));
        return solidOf(mesh);
    }

    // Checks the four files and the console line of an export at scale; returns the solid.
    SolidMesh checkExport(const Console& console, int scale) {
        const SolidMesh solid = readObj();
        EXPECT_EQ(closedSolidFault(solid), "");
        ViewTransform view{};
        withSetupCamera([&] { view = viewTransformAfter(applyProjection); });
        const int width = 640 * scale, height = 480 * scale;
        const int viewport[4] = {-width, -height, 3 * width, 3 * height};
        std::copy_n(viewport, 4, view.viewport);
        EXPECT_LT(frontPixelError(solid, view, width, height), 2e-3);

        const std::string summary = "exportSolid: " + std::to_string(solid.vertices.size()) +
                                    " vertices, " + std::to_string(solid.triangles.size()) +
                                    " triangles, size ";
        EXPECT_NE(console.out.find(summary), std::string::npos) << console.out;
        // The STL holds as many triangles (admesh checks it in tests/scripts/export_solid.sh);
        // the picture has the sampling size.
        const std::string stl = readFile(dir.file("data/export_solid.stl"));
        EXPECT_EQ(stl.size(), 84 + 50 * solid.triangles.size());
        const std::string png = readFile(dir.file("data/export_solid.png"));
        EXPECT_EQ(png.substr(16, 8), std::string({0, 0, char(width >> 8), char(width & 255), 0, 0,
                                                  char(height >> 8), char(height & 255)}));
        return solid;
    }

    TempDir dir;
};

TEST_F(ExportSolid, TheSampleAfterPreviewWhateverTheDisplayShows) {
    // The sample session: two parts lassoed, "Preview", the view turned away.
    std::string session = readFile(sourcePath("examples/sample.hvs"));
    session.replace(session.find("Mesh/sample.obj"), 15, sourcePath("Mesh/sample.obj"));
    const SolidMesh solid = checkExport(runInDir(session + "export-solid 1\n"), 1);
    EXPECT_GT(solid.frontVertices, 10000u); // the house and crates, not the plate alone
    const std::string stl = readFile(dir.file("data/export_solid.stl"));
    const std::string png = readFile(dir.file("data/export_solid.png"));
    // Outlines and the input model on the screen change nothing: the output model is drawn
    // filled.
    checkExport(runInDir("wireframe on\nview input\nexport-solid 1\n"), 1);
    EXPECT_TRUE(readFile(dir.file("data/export_solid.stl")) == stl);
    EXPECT_TRUE(readFile(dir.file("data/export_solid.png")) == png);
    // One vertex per sample is seven times as many triangles, with the same picture.
    const SolidMesh full = checkExport(runInDir("export-solid 1 0\n"), 1);
    EXPECT_GT(full.triangles.size(), 5 * solid.triangles.size());
    EXPECT_TRUE(readFile(dir.file("data/export_solid.png")) == png);
}

// A wavy, textured height field of 28 x 22 units, which fills the window from the start-up
// view, in 200 x 160 cells: in a 160 x 120 window most of its triangles own no pixel.
void writeFineGrid(const std::string& path) {
    std::ofstream out(path);
    const int wide = 200, high = 160;
    for (int y = 0; y <= high; ++y)
        for (int x = 0; x <= wide; ++x) {
            const double u = -14 + 28.0 * x / wide, v = -11 + 22.0 * y / high;
            out << "v " << u << " " << v << " " << 2.5 * std::sin(u * 0.7) * std::cos(v * 0.9)
                << "\n";
        }
    for (int y = 0; y <= high; ++y)
        for (int x = 0; x <= wide; ++x)
            out << "vt " << double(x) / wide << " " << double(y) / high << "\n";
    auto corner = [](int i) { return std::to_string(i) + "/" + std::to_string(i) + " "; };
    for (int y = 0; y < high; ++y)
        for (int x = 0; x < wide; ++x) {
            const int a = y * (wide + 1) + x + 1, b = a + 1, c = b + wide + 1, d = a + wide + 1;
            out << "f " << corner(a) << corner(b) << corner(c) << "\nf " << corner(a) << corner(c)
                << corner(d) << "\n";
        }
}

TEST_F(ExportSolid, FacesTooSmallForTheWindowLeaveNoPinholesInALargerImage) {
    writeFineGrid(dir.file("grid.obj"));
    const std::string session =
        "window 160 120\nopen-mesh grid.obj\nset-up-camera\nmode lasso\npart 1\n"
        "drag left 0 0 0 0 80 0 80 0 80 120 80 120 0 120 0 120 0 0\npart 2\n"
        "drag left 85 0 85 0 160 0 160 0 160 120 160 120 85 120 85 120 85 0\npreview\n"
        "export-solid 4 0\n";
    const Console console = runInDir(session);
    EXPECT_NE(console.out.find("exportSolid: "), std::string::npos) << console.err;
    // Where the field covers the picture (all but its bottom-left and top-right corners) the
    // picture is the model's, not the plate's grey.
    const DecodedImage picture = decodeImageFile(dir.file("data/export_solid.png"));
    ASSERT_EQ(picture.width, 640);
    int plate = 0;
    for (int y = 110; y < 460; ++y)
        for (int x = 20; x < 620; ++x) {
            const unsigned char* p = &picture.rgba[4 * (std::size_t(y) * 640 + x)];
            plate += p[0] == 204 && p[1] == 204 && p[2] == 204;
        }
    // Left out, those faces leave about half of it grey; drawn, a few
    // specks remain.
    EXPECT_LT(plate, 600 * 350 / 100);
}

TEST_F(ExportSolid, AnEmptySceneIsThePlateAlone) {
    // One vertex per sample: one fan over the whole front, a wall quad and a back triangle per
    // border edge.
    const SolidMesh solid = checkExport(runInDir("export-solid 1 0\n"), 1);
    const std::size_t border = 2 * (639 + 479);
    EXPECT_EQ(solid.frontVertices, border + 1);
    EXPECT_EQ(solid.triangles.size(), 4 * border);
    // Within a tolerance the flat front needs few samples of the border.
    const SolidMesh bounded = checkExport(runInDir("export-solid 1\n"), 1);
    EXPECT_LT(bounded.triangles.size(), solid.triangles.size() / 2);
}

} // namespace
