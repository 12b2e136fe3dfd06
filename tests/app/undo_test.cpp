// Undo and redo: a session with a step undone exports what the session without the step
// exports, byte for byte, and redone what the session with it exports.
#include "app/edit_history.h"
#include "tests/app/app_fixture.h"
#include "tests/support/images.h"

#include <filesystem>

namespace {

// The sample conversion: the house as part 1, the crates as part 2. {SETUP}, {STEP} and
// {AFTER} mark where a row puts its lines; {UNDO} is empty, "undo" or "undo\nredo".
const std::string kSession = R"(open-mesh {MESH}
camera -0.21 0.1 0.02 0.97 0 0 -100
set-up-camera
mode lasso
part 1
drag left 88 106 334 110 348 160 352 340 322 386 86 368 82 220 88 106
part 2
drag left 356 212 494 212 500 290 562 290 572 394 480 398 358 390 356 212
{BEFORE PREVIEW}
preview
{SETUP}
{STEP}
{UNDO}
{AFTER}
export
)";

const char* const kExportFiles[] = {"data/export.obj", "data/export.bmp", "data/export.glb"};

struct Row {
    std::string what, beforePreview, setup, step, after;
};

class Undo : public OffscreenAppTest {
  protected:
    struct Run {
        std::string files; // every exported file, one after the other
        Console console;
    };

    Run runRow(const Row& row, bool withStep, const std::string& undo) {
        resetApplicationState();
        std::string script = kSession;
        auto put = [&script](const std::string& mark, const std::string& text) {
            script.replace(script.find(mark), mark.size(), text);
        };
        put("{MESH}", sourcePath("Mesh/sample.obj"));
        const bool stepBeforePreview = !row.beforePreview.empty();
        const std::string step = withStep ? row.step + "\n" + undo : "";
        put("{BEFORE PREVIEW}", stepBeforePreview ? step : "");
        put("{SETUP}", row.setup);
        put("{STEP}", stepBeforePreview ? "" : step);
        put("{UNDO}", "");
        put("{AFTER}", row.after);
        TempDir work;
        const auto home = std::filesystem::current_path();
        std::filesystem::current_path(work.path());
        int status = -1;
        Run result;
        result.console = captureConsole([&] { status = run(script); });
        std::filesystem::current_path(home);
        EXPECT_EQ(status, 0) << row.what << "\n" << result.console.err;
        for (const char* file : kExportFiles)
            result.files += readFile(work.file(file)) + "|";
        return result;
    }
};

TEST_F(Undo, EveryEditUndoneExportsAsWithoutItAndRedoneAsWithIt) {
    TempDir files;
    const std::string otherModel = files.file("square.obj");
    writeFile(otherModel, "v -20 -20 0\nv 20 -20 0\nv 20 20 0\nv -20 20 0\nvt 0 0\nvt 1 0\n"
                          "vt 1 1\nvt 0 1\nvn 0 0 1\nf 1/1/1 2/2/1 3/3/1 4/4/1\n");
    const std::string otherImage = files.file("stripes.bmp");
    std::vector<Rgba> stripes(16 * 16, Rgba{250, 20, 20, 255});
    for (std::size_t i = 0; i < stripes.size(); i += 2)
        stripes[i] = Rgba{20, 20, 250, 255};
    saveImage(otherImage, 16, 16, stripes);
    const std::string turn = "camera 0.05 0.25 0 0.97 0 0 -100";
    const std::string house =
        "drag left 88 106 334 110 348 160 352 340 322 386 86 368 82 220 88 106";
    const Row rows[] = {
        {"lasso loop", "yes", "", "part 3\n" + house, ""},
        {"lasso loop of part 0", "yes", "",
         "part 0\ndrag left 356 212 494 212 500 290 356 390 356 212", ""},
        {"Shift+click", "", "mode camera", "press left 200 250 shift\nrelease left 200 250", ""},
        {"Push", "", "part 1", "push", ""},
        {"Back", "", "part 2", "back", ""},
        {"compression", "", "part 1", "compression 0.25", ""},
        {"Preview", "", "part 1\ncompression 0.5\nmode lasso\npart 3\n" + house, "preview", ""},
        {"Set Up a Camera", "", turn, "set-up-camera", "part 1\npush"},
        {"key g", "", turn, "key g", "part 1\npush"},
        {"Open Texture", "", "", "open-texture " + otherImage, ""},
        {"Open Mesh", "", "mode camera", "open-mesh " + otherModel, ""},
    };
    for (const Row& row : rows) {
        const Run with = runRow(row, true, "");
        const Run without = runRow(row, false, "");
        const Run undone = runRow(row, true, "undo");
        const Run redone = runRow(row, true, "undo\nredo");
        EXPECT_NE(with.files, without.files) << row.what << ": the step changes nothing";
        EXPECT_TRUE(undone.files == without.files) << row.what << ": undone";
        EXPECT_TRUE(redone.files == with.files) << row.what << ": redone";
        EXPECT_NE(undone.console.out.find("\nundo: "), std::string::npos) << row.what;
    }
}

TEST_F(Undo, ConsoleLinesNewEditsAndTheBudget) {
    const std::string script = "undo\nopen-mesh " + sourcePath("Mesh/sample.obj") + R"(
set-up-camera
mode lasso
part 2
drag left 356 212 494 212 500 290 562 290 572 394 480 398 358 390 356 212
preview
push
compression 0.5
wireframe on
frame
undo
undo
redo
back
redo
undo
undo
undo
undo
undo
undo
)";
    Console console = captureConsole([&] { EXPECT_EQ(run(script), 0); });
    std::string lines;
    for (std::size_t at = 0; (at = console.out.find("do: ", at)) != std::string::npos;) {
        const std::size_t start = console.out.rfind('\n', at) + 1;
        const std::size_t end = console.out.find('\n', at);
        lines += console.out.substr(start, end - start + 1);
        at = end;
    }
    // View changes (Wireframe, Frame Model) are no steps; Back after an undo drops the redo.
    EXPECT_EQ(lines, "undo: nothing to undo\n"
                     "undo: compression, part 2\n"
                     "undo: Push, part 2\n"
                     "redo: Push, part 2\n"
                     "redo: nothing to redo\n"
                     "undo: Back, part 2\n"
                     "undo: Push, part 2\n"
                     "undo: Preview\n"
                     "undo: lasso loop, part 2\n"
                     "undo: Set Up a Camera\n"
                     "undo: Open Mesh\n");
    EXPECT_EQ(undoStepCount(), 0u);
    EXPECT_TRUE(inputMesh.vertices.empty());

    // A budget of one step's arrays: each new Push replaces the output model's positions, so
    // the oldest steps go, one line each time.
    resetApplicationState();
    const std::string paint = "open-mesh " + sourcePath("Mesh/sample.obj") +
                              "\nset-up-camera\nmode lasso\npart 1\n"
                              "drag left 88 106 334 110 348 160 352 340 322 386 86 368 82 220 88 "
                              "106\npreview\n";
    console = captureConsole([&] { EXPECT_EQ(run(paint), 0); });
    EXPECT_EQ(undoStepCount(), 4u);
    const std::size_t positions = outputMesh.vertices.size() * sizeof(Vec3);
    editHistoryBudget = editHistoryBytes() + positions + positions / 2;
    console = captureConsole([&] { EXPECT_EQ(run("push\npush\npush\n"), 0); });
    EXPECT_LE(editHistoryBytes(), editHistoryBudget);
    EXPECT_GE(undoStepCount(), 1u);
    EXPECT_LT(undoStepCount(), 6u);
    const std::string drop =
        "undo: history over its budget of " + std::to_string(editHistoryBudget) + " bytes;";
    EXPECT_NE(console.out.find(drop), std::string::npos) << console.out;
    // What is left undoes to the state after the last dropped step, never further.
    const std::size_t kept = undoStepCount();
    std::string undos;
    for (std::size_t i = 0; i <= kept; ++i)
        undos += "undo\n";
    console = captureConsole([&] { EXPECT_EQ(run(undos), 0); });
    EXPECT_NE(console.out.find("undo: nothing to undo"), std::string::npos);
    EXPECT_FALSE(inputMesh.vertices.empty());
}

} // namespace
