// "Export Solid" from the user's side: the sample after "Preview" and an empty scene, within
// the default tolerance and with one vertex per sample, each leave a closed, outward solid in
// data/, its front vertices on their pixels under the set-up camera,
// its console line its counts (tests/scripts/export_solid.sh checks the size, the volume and
// the scale against admesh; holes are among the solid test's images).
#include "app/camera.h"
#include "selection/view_transform_gl.h"
#include "tests/app/app_fixture.h"
#include "tests/export/solid_checks.h"

#include <filesystem>

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
