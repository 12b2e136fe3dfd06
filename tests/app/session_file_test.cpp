// Session files: saved work opens again, in a fresh program state, to the same exported
// files; a bad session file leaves the open work as it was.
#include "app/edit_history.h"
#include "app/session_file.h"
#include "tests/app/app_fixture.h"

#include <sys/stat.h>

#include <filesystem>

namespace {

const char* const kExportFiles[] = {"data/export.obj", "data/export.bmp", "data/export.glb"};

class SessionFile : public OffscreenAppTest {
  protected:
    void SetUp() override {
        OffscreenAppTest::SetUp();
        home = std::filesystem::current_path();
        std::filesystem::current_path(work.path());
    }
    void TearDown() override {
        std::filesystem::current_path(home);
        OffscreenAppTest::TearDown();
    }
    // Runs script lines; returns standard output.
    std::string runLines(const std::string& script) {
        int status = -1;
        const Console console = captureConsole([&] { status = run(script); });
        EXPECT_EQ(status, 0) << console.err;
        return console.out;
    }
    std::string exported() {
        runLines("export\n");
        std::string files;
        for (const char* file : kExportFiles)
            files += readFile(work.file(file)) + "|";
        return files;
    }
    TempDir work;
    std::filesystem::path home;
};

const std::string kSample = R"(camera -0.21 0.1 0.02 0.97 0 0 -100
set-up-camera
mode lasso
part 1
drag left 88 106 334 110 348 160 352 340 322 386 86 368 82 220 88 106
part 2
drag left 356 212 494 212 500 290 562 290 572 394 480 398 358 390 356 212
preview
part 1
push
compression 0.4
part 3
drag left 200 150 300 150 300 250 200 150
camera -0.1 0.2 0.02 0.97 0 0 -90
)";

TEST_F(SessionFile, SavedWorkOpensAgainToTheSameExport) {
    struct Case {
        std::string what, open, work;
    };
    const std::string spider = "/usr/share/assimp/models/OBJ/spider.obj";
    std::vector<Case> cases = {
        {"the sample, painted and converted", "open-mesh " + sourcePath("Mesh/sample.obj"),
         kSample},
        {"the sample with another texture",
         "open-mesh " + sourcePath("Mesh/sample.obj") + "\nopen-texture " +
             sourcePath("docs/spider.png"),
         kSample},
        {"the sample painted, not converted", "open-mesh " + sourcePath("Mesh/sample.obj"),
         "set-up-camera\nmode lasso\npart 2\ndrag left 88 106 334 110 348 160 88 106\n"},
    };
    if (std::filesystem::exists(spider))
        cases.push_back({"spider.obj, several materials, three parts",
                         "open-mesh " + spider + "\ncamera 0.25 0.3 0.05 0.92 0 0 -100\nframe",
                         kSample});
    for (const Case& c : cases) {
        resetApplicationState();
        runLines(c.open + "\n" + c.work);
        const std::string before = exported();
        EXPECT_NE(runLines("save-session work.hvsession\n").find("Session saved: work.hvsession"),
                  std::string::npos);
        resetApplicationState(); // as a new process finds it
        EXPECT_NE(runLines("open-session work.hvsession\n").find("Session opened:"),
                  std::string::npos)
            << c.what;
        EXPECT_TRUE(exported() == before) << c.what;
        // The work goes on, and undo takes the opening back.
        runLines("push\nundo\n");
        EXPECT_TRUE(exported() == before) << c.what;
        EXPECT_EQ(runLines("undo\n"), "undo: Open Session\n") << c.what;
    }
}

TEST_F(SessionFile, BadFilesLeaveTheOpenWorkUnchanged) {
    TempDir files;
    const std::string model = files.file("model.obj");
    std::filesystem::copy_file(sourcePath("Mesh/sample.obj"), model);
    runLines("open-mesh " + model + "\n" + kSample + "save-session good.hvsession\n");
    const std::string good = readFile(work.file("good.hvsession"));
    ASSERT_EQ(good.rfind("hollowvista-session 1\nmodel " + model + "\n", 0), 0u) << good;

    // Different work is open when each bad file is tried.
    resetApplicationState();
    runLines("open-mesh " + sourcePath("Mesh/sample.obj") +
             "\nset-up-camera\nmode lasso\npart 2\ndrag left 88 106 334 110 348 160 88 106\n");
    const std::string open = exported();
    auto replaced = [&good](const std::string& from, const std::string& to) {
        std::string text = good;
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return text.replace(at, from.size(), to);
    };
    const std::size_t facePart = good.find("array input face-part = ");
    const std::string faceLine = good.substr(facePart, good.find('\n', facePart) - facePart);
    struct Bad {
        std::string what, text, line;
    };
    const std::string path = work.file("bad.hvsession");
    const std::vector<Bad> cases = {
        {"truncated", good.substr(0, good.size() / 2), path + " is truncated"},
        {"cut after the header", good.substr(0, good.find("array")), path + " is truncated"},
        {"a later version", replaced("hollowvista-session 1", "hollowvista-session 2"),
         path + " is written by a later version (2)"},
        {"another format", "P3 2 2 255\n", path + " is not a session file"},
        {"a corrupt number", replaced("measured 1", "measured x"), path + " is corrupt at line 20"},
        {"a face array of the wrong size", replaced(faceLine, faceLine + " 1*7"),
         path + ": its arrays do not fit the model: input face-part has 911 values, the model "
                "904"},
        {"a missing model", replaced(model, files.file("gone.obj")),
         path + ": its model is missing: " + files.file("gone.obj")},
    };
    for (const Bad& c : cases) {
        writeFile(path, c.text);
        EXPECT_EQ(runLines("open-session " + path + "\n"), "open-session: " + c.line + "\n")
            << c.what;
        EXPECT_TRUE(exported() == open) << c.what;
    }
    // A FIFO and a folder are refused at once instead of waited on or read.
    const std::string pipe = work.file("pipe.hvsession"), folder = work.file("folder.hvsession");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::filesystem::create_directory(folder);
    for (const std::string& special : {pipe, folder}) {
        EXPECT_EQ(runLines("open-session " + special + "\n"),
                  "open-session: " + special + " is not a regular file\n");
        EXPECT_TRUE(exported() == open) << special;
    }
    // The model changed since the session was saved: one byte more.
    writeFile(model, readFile(model) + "\n");
    writeFile(path, good);
    EXPECT_EQ(runLines("open-session " + path + "\n"),
              "open-session: " + path +
                  ": its model has changed since the session was saved: " + model + "\n");
    EXPECT_TRUE(exported() == open);
    EXPECT_EQ(runLines("undo\n"), "undo: lasso loop, part 2\n");
}

} // namespace
