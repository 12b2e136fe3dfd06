// Reading session scripts and the command line: every command's arguments, comments and
// paths, and the line and reason reported for a bad line.
#include "app/input_handlers.h"
#include "script/command_line.h"
#include "script/session_script.h"

#include "tests/support/gl_test.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

ScriptCommand one(const std::string& line) {
    const ParsedScript parsed = parseSessionScript(line);
    EXPECT_FALSE(parsed.error) << line << ": " << parsed.error->reason;
    EXPECT_EQ(parsed.commands.size(), 1u) << line;
    return parsed.commands.empty() ? ScriptCommand{} : parsed.commands[0];
}

// "script:LINE: reason" as the batch runner prints it for a script.
std::string errorOf(const std::string& script) {
    const ParsedScript parsed = parseSessionScript(script);
    if (!parsed.error)
        return "no error";
    return "script:" + std::to_string(parsed.error->line) + ": " + parsed.error->reason;
}

TEST(SessionScript, PanelCommandsAndTheirChoices) {
    EXPECT_EQ(one("set-up-camera").command->word, "set-up-camera");
    EXPECT_EQ(one("push").command->word, "push");
    EXPECT_EQ(one("back").command->word, "back");
    EXPECT_EQ(one("preview").command->word, "preview");
    EXPECT_EQ(one("export").command->word, "export");
    EXPECT_EQ(one("export-solid").args.value, 2);
    EXPECT_EQ(one("export-solid 4").args.value, 4);
    EXPECT_EQ(one("triangulate").command->word, "triangulate");
    EXPECT_EQ(one("quit").command->word, "quit");
    EXPECT_EQ(one("view input").args.value, 0);
    EXPECT_EQ(one("view output").args.value, 1);
    EXPECT_EQ(one("back-face on").args.value, 1);
    EXPECT_EQ(one("back-face off").args.value, 0);
    EXPECT_EQ(one("wireframe on").command->word, "wireframe");
    EXPECT_EQ(one("wireframe on").args.value, 1);
    EXPECT_EQ(one("part 0").args.value, 0);
    EXPECT_EQ(one("part 3").args.value, 3);
    EXPECT_EQ(one("mode camera").args.value, 0);
    EXPECT_EQ(one("mode lasso").args.value, 1);
    EXPECT_EQ(one("compression -0.35").args.number, -0.35f);
    EXPECT_EQ(one("compression 7").args.number, 7.0f); // clamped by the spinner, not the reader
    const ScriptCommand window = one("window 800 600");
    EXPECT_EQ(window.command->word, "window");
    EXPECT_EQ(window.args.points, (std::vector<int>{800, 600}));
    EXPECT_EQ(one("window 800 0").args.points, (std::vector<int>{800, 0}));
}

TEST(SessionScript, FileCommandsTakeTheRestOfTheLineAsPath) {
    EXPECT_EQ(one("open-mesh Mesh/house facade.obj").args.path, "Mesh/house facade.obj");
    EXPECT_EQ(one("open-mesh    /tmp/a.obj   # the model").args.path, "/tmp/a.obj");
    EXPECT_EQ(one("open-mesh").args.path, "");
    EXPECT_EQ(one("open-mesh # cancelled").args.path, "");
    EXPECT_EQ(one("open-texture tex#1.png").args.path, "tex#1.png");
    EXPECT_EQ(one("open-texture").command->word, "open-texture");
    EXPECT_EQ(one("screenshot out/view.png\r").args.path, "out/view.png");
}

TEST(SessionScript, PointerKeyAndCameraCommands) {
    const ScriptCommand press = one("press right 10 -20 shift");
    EXPECT_EQ(press.command->word, "press");
    EXPECT_EQ(press.args.button, kRightButton);
    EXPECT_EQ(press.args.points, (std::vector<int>{10, -20}));
    EXPECT_TRUE(press.args.shift);
    EXPECT_FALSE(one("press left 1 2").args.shift);
    EXPECT_EQ(one("press middle 1 2").args.button, kMiddleButton);
    EXPECT_EQ(one("move 640 480").args.points, (std::vector<int>{640, 480}));
    const ScriptCommand release = one("release left 3 4");
    EXPECT_EQ(release.args.button, kLeftButton);
    EXPECT_EQ(release.args.points, (std::vector<int>{3, 4}));
    const ScriptCommand drag = one("drag left 1 2 3 4 5 6");
    EXPECT_EQ(drag.command->word, "drag");
    EXPECT_EQ(drag.args.points, (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(one("drag right 9 9").args.points, (std::vector<int>{9, 9}));
    EXPECT_EQ(one("key c").args.value, 'c');
    EXPECT_EQ(one("key Q").args.value, 'Q');
    EXPECT_EQ(one("key esc").args.value, kEscapeKey);
    const ScriptCommand camera = one("camera -0.21 0.2 0.04 0.95 0 1.5 -100");
    EXPECT_EQ(camera.args.pose, (std::array<float, 7>{-0.21f, 0.2f, 0.04f, 0.95f, 0, 1.5f, -100}));
    EXPECT_FALSE(camera.args.fieldOfView);
    EXPECT_EQ(one("camera 0 0 0 1 0 0 -100 45").args.fieldOfView, 45);
}

TEST(SessionScript, CommentsBlankLinesAndLineNumbers) {
    const ParsedScript parsed = parseSessionScript("\xEF\xBB\xBF# a session\r\n"
                                                   "\n"
                                                   "   window 320 200   \r\n"
                                                   "\t# indented comment\n"
                                                   "key c # print the camera\n"
                                                   "quit");
    ASSERT_FALSE(parsed.error);
    ASSERT_EQ(parsed.commands.size(), 3u);
    EXPECT_EQ(parsed.commands[0].line, 3);
    EXPECT_EQ(parsed.commands[1].line, 5);
    EXPECT_EQ(parsed.commands[1].args.value, 'c');
    EXPECT_EQ(parsed.commands[2].line, 6);
    EXPECT_TRUE(parseSessionScript("").commands.empty());
    EXPECT_FALSE(parseSessionScript("").error);
}

TEST(SessionScript, BadLinesNameTheirLineAndReason) {
    EXPECT_EQ(errorOf("key c\n\njump 3\nquit\n"), "script:3: unknown command \"jump\"");
    EXPECT_EQ(errorOf("Window 1 2"), "script:1: unknown command \"Window\"");
    const std::string arguments = "wrong number of arguments", whole = " is not a whole number";
    const char* press = "press BUTTON X Y [shift]";
    const char* camera = "camera QX QY QZ QW TX TY TZ [FOV]";
    struct Case {
        std::string line, reason, usage;
    };
    const Case cases[] = {
        {"window 640", arguments, "window W H"},
        {"window 0 10", "0 is outside 1 .. 8192", "window W H"},
        {"window 64x 10", "\"64x\"" + whole, "window W H"},
        {"view both", "\"both\" is not input or output", "view input|output"},
        {"back-face yes", "\"yes\" is not off or on", "back-face on|off"},
        {"part 4", "4 is outside 0 .. 3", "part 0|1|2|3"},
        {"mode paint", "\"paint\" is not camera or lasso", "mode camera|lasso"},
        {"compression 0,5", "\"0,5\" is not a number", "compression V"},
        {"compression nan", "\"nan\" is not a number", "compression V"},
        {"push now", arguments, "push"},
        {"export-solid 5", "5 is outside 1 .. 4", "export-solid [SCALE]"},
        {"export-solid 1 2", arguments, "export-solid [SCALE]"},
        {"key enter", "\"enter\" is not one character or esc", "key K"},
        {"key", arguments, "key K"},
        {"press left 1", arguments, press},
        {"press wheel 1 2", "\"wheel\" is not left or middle or right", press},
        {"press left 1 2 ctrl", "\"ctrl\" is not shift", press},
        {"drag left 1 2 3", arguments, "drag BUTTON X1 Y1 ... Xn Yn"},
        {"move 1 99999999999", "\"99999999999\"" + whole, "move X Y"},
        {"camera 0 0 0 1 0 0", arguments, camera},
        {"camera 0 0 0 1 0 0 -100 30.5", "\"30.5\"" + whole, camera},
        {"camera 0 0 0 1 0 0 -100 180", "180 is outside 1 .. 179", camera},
        {"screenshot   # nowhere", "missing PATH", "screenshot PATH"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(errorOf(c.line), "script:1: " + c.reason + " (usage: " + c.usage + ")");
    // The commands before the bad line are kept; none after it.
    const ParsedScript parsed = parseSessionScript("key c\nkey g\nbogus\nkey r\n");
    EXPECT_EQ(parsed.commands.size(), 2u);
}

// --help and the README's table of session-script commands both list every command of the
// table, in its order.
TEST(SessionScript, HelpAndReadmeListEveryCommand) {
    std::vector<std::string> readme;
    std::istringstream lines(readFile(sourcePath("README.md")));
    bool inTable = false;
    for (std::string line; std::getline(lines, line);) {
        if (line == "| Command | Does |")
            inTable = true;
        else if (inTable && line.empty())
            break;
        else if (inTable && line.starts_with("| `")) {
            std::string usage = line.substr(3, line.find("` |") - 3);
            for (std::size_t at; (at = usage.find("\\|")) != std::string::npos;)
                usage.erase(at, 1); // a | inside a Markdown table is written \|
            readme.push_back(usage);
        }
    }
    std::vector<std::string> table;
    const std::string help = usageText();
    std::size_t at = 0;
    for (const Command& c : commandTable()) {
        table.emplace_back(c.usage);
        at = help.find("\n  " + std::string(c.usage) + " ", at);
        EXPECT_NE(at, std::string::npos) << "--help does not list " << c.usage << " in order";
    }
    EXPECT_EQ(readme, table);
}

TEST(CommandLine, OptionsScriptAndStartUpFiles) {
    const CommandLine gui = parseCommandLine({"model.obj", "paint.png"});
    EXPECT_FALSE(gui.batch);
    EXPECT_EQ(gui.files, (std::vector<std::string>{"model.obj", "paint.png"}));
    EXPECT_TRUE(gui.error.empty());
    const CommandLine batch = parseCommandLine({"--batch", "run.hvs", "model.obj"});
    EXPECT_TRUE(batch.batch);
    EXPECT_EQ(batch.script, "run.hvs");
    EXPECT_EQ(batch.files, (std::vector<std::string>{"model.obj"}));
    EXPECT_TRUE(parseCommandLine({"--help"}).help);
    EXPECT_EQ(parseCommandLine({"--batch"}).error, "--batch needs a SCRIPT");
    EXPECT_EQ(parseCommandLine({"--batch", "a", "--batch", "b"}).error, "--batch given twice");
    EXPECT_EQ(parseCommandLine({"-geometry", "10x10"}).error, "unknown option -geometry");
    EXPECT_EQ(parseCommandLine({"a.obj", "b.png", "c"}).error,
              "at most a model and a texture can be opened at start");
    EXPECT_TRUE(wantsBatch({"-display", ":3", "--batch", "x"}));
    EXPECT_FALSE(wantsBatch({"-display", ":3", "x.obj"}));
    EXPECT_TRUE(wantsHelp({"x.obj", "--help"}));
}

} // namespace
