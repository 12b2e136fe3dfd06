// "Export Solid" from the user's side: the sample after "Preview", a model with a hole and an
// empty scene each leave a closed, outward solid in data/, its front vertices on their pixels
// under the set-up camera, its STL the same triangles, its console line its true size.
#include "app/camera.h"
#include "selection/view_transform_gl.h"
#include "tests/app/app_fixture.h"
#include "tests/export/solid_checks.h"

#include <cstdio>
#include <cstring>
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
        SolidMesh solid;
        solid.vertices.assign(mesh.vertices.begin(), mesh.vertices.end());
        solid.texCoords.assign(mesh.texCoords.begin(), mesh.texCoords.end());
        solid.frontVertices = solid.texCoords.size() - 1; // the last is the plate's texel
        for (std::size_t f = 0; f < mesh.faces.size(); ++f)
            solid.triangles.push_back({mesh.faces[f][0], mesh.faces[f][1], mesh.faces[f][2]});
        return solid;
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

        std::size_t vertices = 0, triangles = 0;
        double x = 0, y = 0, z = 0, volume = 0;
        const std::size_t line = console.out.rfind("exportSolid: ");
        EXPECT_EQ(std::sscanf(console.out.c_str() + std::min(line, console.out.size()),
                              "exportSolid: %zu vertices, %zu triangles, size %lf x %lf x %lf, "
                              "volume %lf",
                              &vertices, &triangles, &x, &y, &z, &volume),
                  6)
            << console.out;
        EXPECT_EQ(vertices, solid.vertices.size());
        EXPECT_EQ(triangles, solid.triangles.size());
        EXPECT_NEAR(volume, signedVolume(solid), 1e-4 * volume);
        Vec3 low = solid.vertices[0], high = low;
        for (const Vec3& v : solid.vertices) {
            low = {std::min(low.x, v.x), std::min(low.y, v.y), std::min(low.z, v.z)};
            high = {std::max(high.x, v.x), std::max(high.y, v.y), std::max(high.z, v.z)};
        }
        EXPECT_NEAR(x, high.x - low.x, 1e-4 * x);
        EXPECT_NEAR(y, high.y - low.y, 1e-4 * y);
        EXPECT_NEAR(z, high.z - low.z, 1e-4 * z);

        // The STL holds the OBJ's triangles, corner for corner.
        const std::string stl = readFile(dir.file("data/export_solid.stl"));
        EXPECT_EQ(stl.size(), 84 + 50 * solid.triangles.size());
        std::size_t differ = 0;
        for (std::size_t i = 0; i < solid.triangles.size() && 84 + 50 * i < stl.size(); ++i)
            for (int k = 0; k < 9; ++k) {
                float value = 0;
                std::memcpy(&value, stl.data() + 84 + 50 * i + 12 + 4 * k, 4);
                const Vec3& v = solid.vertices[solid.triangles[i][k / 3]];
                differ += !(std::abs(value - (k % 3 == 0 ? v.x : k % 3 == 1 ? v.y : v.z)) < 1e-5f);
            }
        EXPECT_EQ(differ, 0u);
        // The picture has the sampling size.
        const std::string png = readFile(dir.file("data/export_solid.png"));
        auto bigEndian = [&](std::size_t at) {
            return std::uint32_t(std::uint8_t(png[at])) << 24 | std::uint8_t(png[at + 1]) << 16 |
                   std::uint8_t(png[at + 2]) << 8 | std::uint8_t(png[at + 3]);
        };
        EXPECT_EQ(bigEndian(16), std::uint32_t(width));
        EXPECT_EQ(bigEndian(20), std::uint32_t(height));
        return solid;
    }

    TempDir dir;
};

TEST_F(ExportSolid, TheSampleAfterPreviewWhateverTheDisplayShows) {
    // The sample session: two parts lassoed, "Preview", the view turned away.
    std::string session = readFile(sourcePath("examples/sample.hvs"));
    session.replace(session.find("Mesh/sample.obj"), 15, sourcePath("Mesh/sample.obj"));
    const SolidMesh solid = checkExport(runInDir(session + "export-solid 1\n"), 1);
    EXPECT_GT(solid.frontVertices, 20000u); // the house and crates, not the plate alone
    const std::string stl = readFile(dir.file("data/export_solid.stl"));
    const std::string png = readFile(dir.file("data/export_solid.png"));
    // Outlines and the input model on the screen change nothing: the output model is drawn
    // filled.
    checkExport(runInDir("wireframe on\nview input\nexport-solid 1\n"), 1);
    EXPECT_TRUE(readFile(dir.file("data/export_solid.stl")) == stl);
    EXPECT_TRUE(readFile(dir.file("data/export_solid.png")) == png);
}

TEST_F(ExportSolid, AModelWithAHoleAtTheDefaultScale) {
    // A square frame: the plate shows through its middle.
    writeFile(dir.file("frame.obj"), "v -8 -8 2\nv 8 -8 -2\nv 8 8 -2\nv -8 8 2\n"
                                     "v -3 -3 1\nv 3 -3 -1\nv 3 3 -1\nv -3 3 1\n"
                                     "f 1 2 6 5\nf 2 3 7 6\nf 3 4 8 7\nf 4 1 5 8\n");
    checkExport(runInDir("open-mesh frame.obj\nexport-solid\n"), 2);
}

TEST_F(ExportSolid, AnEmptySceneIsThePlateAlone) {
    // One fan over the whole front, a wall quad and a back triangle per border edge.
    const SolidMesh solid = checkExport(runInDir("export-solid 1\n"), 1);
    const std::size_t border = 2 * (639 + 479);
    EXPECT_EQ(solid.frontVertices, border + 1);
    EXPECT_EQ(solid.triangles.size(), 4 * border);
}

} // namespace
