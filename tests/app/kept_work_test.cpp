// Ordinary steps that must not lose work or change the converted model: the sample session
// with and without each step exports the same model file, byte for byte.
#include "tests/app/app_fixture.h"

#include <filesystem>

namespace {

// The sample conversion: the house as part 1, the crates as part 2, seen from the front right.
// {STEP} marks where a variant puts its step.
const std::string kSession = R"(open-mesh {MESH}
camera -0.21 0.1 0.02 0.97 0 0 -100
set-up-camera
{BEFORE PAINTING}
mode lasso
part 1
drag left 88 106 334 110 348 160 352 340 322 386 86 368 82 220 88 106
part 2
drag left 356 212 494 212 500 290 562 290 572 394 480 398 358 390 356 212
{BEFORE PREVIEW}
{PREVIEW}
{AFTER PREVIEW}
export
)";

class KeptWork : public OffscreenAppTest {
  protected:
    // Runs the session with the steps put in (placeholders left empty otherwise) in a scratch
    // folder and returns the exported model file.
    std::string exportWith(const std::string& beforePainting, const std::string& beforePreview,
                           const std::string& afterPreview, bool preview = true) {
        resetApplicationState();
        std::string script = kSession;
        auto put = [&script](const std::string& mark, const std::string& text) {
            script.replace(script.find(mark), mark.size(), text);
        };
        put("{MESH}", sourcePath("Mesh/sample.obj"));
        put("{BEFORE PAINTING}", beforePainting);
        put("{BEFORE PREVIEW}", beforePreview);
        put("{PREVIEW}", preview ? "preview" : "");
        put("{AFTER PREVIEW}", afterPreview);
        TempDir work;
        const auto home = std::filesystem::current_path();
        std::filesystem::current_path(work.path());
        int status = -1;
        captureConsole([&] { status = run(script); });
        std::filesystem::current_path(home);
        EXPECT_EQ(status, 0);
        return readFile(work.file("data/export.obj"));
    }
};

TEST_F(KeptWork, StepsThatMustNotChangeTheExport) {
    TempDir files;
    const std::string brokenModel = files.file("broken.obj"); // a normal index out of range
    writeFile(brokenModel, "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3//2\n");
    const std::string texture = sourcePath("Mesh/sample.bmp");
    struct Variant {
        std::string what, beforePainting, beforePreview, afterPreview;
    };
    const Variant variants[] = {
        {"outlines shown while painting and measuring", "wireframe on", "", "wireframe off"},
        {"a cancelled Open Mesh after painting", "", "mode camera\nopen-mesh", ""},
        {"Open Mesh of a missing file after painting", "", "open-mesh " + files.file("none.obj"),
         ""},
        {"Open Mesh of a file that does not load", "", "open-mesh " + brokenModel, ""},
        {"a cancelled Open Texture after Preview", "", "", "open-texture"},
        {"Open Texture of a missing image after Preview", "", "",
         "open-texture " + files.file("none.bmp")},
        {"Open Texture of the same image after Preview", "", "", "open-texture " + texture},
        {"Push, Back and Shift+click before Preview", "",
         "part 1\npush\npush\nback\nmode camera\npress left 200 200 shift\nrelease left 200 200",
         ""},
    };
    const std::string plain = exportWith("", "", "");
    ASSERT_NE(plain.find("# 904 elements"), std::string::npos);
    for (const Variant& v : variants)
        EXPECT_TRUE(exportWith(v.beforePainting, v.beforePreview, v.afterPreview) == plain)
            << v.what;

    // Before any Preview there is no measured depth to mirror about: the rebuilds of Push,
    // Back and the spinner leave the output model as loaded.
    const std::string unconverted = exportWith("", "", "", false);
    EXPECT_FALSE(unconverted == plain);
    EXPECT_TRUE(exportWith("", "part 1\npush\nback\npush\ncompression 0.5", "", false) ==
                unconverted);
}

} // namespace
