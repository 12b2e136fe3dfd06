// "Frame Model": models of any size fill the window. (A conversion under a framed set-up camera
// is checked with the others in conversion_test.cpp.)
#include "app/framing.h"
#include "tests/app/app_fixture.h"
#include "tests/support/images.h"
#include "tests/support/program_view.h"

#include <algorithm>
#include <sstream>

namespace {

// A closed box reaching `radius` from centre along each axis, as an OBJ text.
std::string boxModel(double radius, Vec3d centre) {
    std::ostringstream obj;
    obj.precision(9);
    for (int i = 0; i < 8; ++i)
        obj << "v " << centre.x + (i & 1 ? radius : -radius) << " "
            << centre.y + (i & 2 ? radius : -radius) << " " << centre.z + (i & 4 ? radius : -radius)
            << "\n";
    obj << "f 1 3 4 2\nf 5 6 8 7\nf 1 2 6 5\nf 3 7 8 4\nf 1 5 7 3\nf 2 4 8 6\n";
    return obj.str();
}

// Pixels of a saved window picture that differ from another picture of the same size: their
// bounding box as left, top, right, bottom (rows from the top; all -1 when none differ).
std::array<int, 4> changedBox(const std::string& path, const std::string& basePath) {
    int w = 0, h = 0;
    const std::vector<unsigned char> a = loadTopDown(path, w, h), b = loadTopDown(basePath, w, h);
    std::array<int, 4> box{-1, -1, -1, -1};
    if (a.empty() || a.size() != b.size())
        return box;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::size_t i = (std::size_t(y) * w + x) * 3;
            if (std::equal(&a[i], &a[i] + 3, &b[i]))
                continue;
            box = box[0] < 0 ? std::array<int, 4>{x, y, x, y}
                             : std::array<int, 4>{std::min(box[0], x), std::min(box[1], y),
                                                  std::max(box[2], x), std::max(box[3], y)};
        }
    return box;
}

class Framing : public OffscreenAppTest {
  protected:
    Console session(const std::string& script) {
        int status = -1;
        Console console = captureConsole([&] { status = run(script); });
        EXPECT_EQ(status, 0) << console.err;
        return console;
    }

    TempDir dir;
};

TEST_F(Framing, VeryLargeAndVerySmallModelsFillTheWindow) {
    struct Case {
        std::string name;
        double radius;
        Vec3d centre;
        std::string advice; // the start of the line that suggests framing on opening
    };
    const Case cases[] = {
        {"large", 75, {400, -250, 120}, "The model reaches beyond the clipping planes"},
        {"small", 0.01, {-0.3, 0.2, 0.1}, "The model covers only "},
    };
    const std::string base = dir.file("base.png");
    session("key r\nscreenshot " + base); // the empty scene from the start-up pose
    for (const Case& c : cases) {
        const std::string model = dir.file(c.name + ".obj"), shot = dir.file(c.name + ".png");
        writeFile(model, boxModel(c.radius, c.centre));
        const Console console =
            session("open-mesh " + model + "\nkey r\nframe\nscreenshot " + shot + "\nkey c\n");
        EXPECT_NE(console.err.find(c.advice), std::string::npos) << c.name << ": " << console.err;
        EXPECT_NE(console.out.find("\ncamera framing: scale "), std::string::npos) << c.name;
        // The model's pixels (all that differ from the empty scene) lie inside the window and
        // span at least half its width or height.
        const auto [left, top, right, bottom] = changedBox(shot, base);
        EXPECT_TRUE(left > 0 && top > 0 && right < 639 && bottom < 479)
            << c.name << ": " << left << " " << top << " " << right << " " << bottom;
        EXPECT_TRUE(right - left >= 320 || bottom - top >= 240)
            << c.name << ": " << right - left << " x " << bottom - top;
    }
}

// The advice measures in the program's viewport, three times the window, whatever OpenGL's holds
// (before the GUI's first reshape it is the window itself): a 2 x 2 square 100 units straight
// ahead spans 2 x 26.87 pixels.
TEST(FramingAdvice, NamesTheSizeInTheProgramsViewportWhateverOpenGlsHolds) {
    const std::vector<Vec3> square = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}};
    ViewTransform view = programView(640, 480);
    const std::string expected = "The model covers only 54 x 54 pixels from this view; press f "
                                 "(\"Frame Model\") to fit it into the window";
    EXPECT_EQ(framingAdvice(square, view, 640, 480), expected);
    const int window[4] = {0, 0, 640, 480};
    std::copy_n(window, 4, view.viewport);
    EXPECT_EQ(framingAdvice(square, view, 640, 480), expected);
}

} // namespace

TEST_F(Framing, AModelTooSmallForAFloatScaleIsRefusedAndTheViewKept) {
    const std::string tiny = dir.file("tiny.obj"), small = dir.file("small.obj");
    writeFile(tiny, "v 0 0 0\nv 3e-44 0 0\nv 0 3e-44 0\nf 1 2 3\n");
    writeFile(small, boxModel(0.01, {0, 0, 0}));
    const Console console = session("open-mesh " + tiny + "\nframe\nkey c\nopen-mesh " + small);
    EXPECT_NE(console.err.find("\nFrame Model: the model is too small to frame\n"),
              std::string::npos)
        << console.err;
    // The view stays unframed, so the next model is judged from the start-up pose.
    EXPECT_EQ(console.out.find("camera framing"), std::string::npos) << console.out;
    EXPECT_NE(console.err.find("The model covers only 1 x 1 pixels from this view"),
              std::string::npos)
        << console.err;
}
