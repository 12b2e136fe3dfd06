// Reading session scripts and the command line: every command's arguments, comments and
// paths, and the line and reason reported for a bad line.
#include "app/command_line.h"
#include "app/input_handlers.h"
#include "app/session_script.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(one("set-up-camera").op, ScriptOp::SetUpCamera);
    EXPECT_EQ(one("push").op, ScriptOp::Push);
    EXPECT_EQ(one("back").op, ScriptOp::Back);
    EXPECT_EQ(one("preview").op, ScriptOp::Preview);
    EXPECT_EQ(one("export").op, ScriptOp::Export);
    EXPECT_EQ(one("triangulate").op, ScriptOp::Triangulate);
    EXPECT_EQ(one("quit").op, ScriptOp::Quit);
    EXPECT_EQ(one("view input").value, 0);
    EXPECT_EQ(one("view output").value, 1);
    EXPECT_EQ(one("back-face on").value, 1);
    EXPECT_EQ(one("back-face off").value, 0);
    EXPECT_EQ(one("wireframe on").op, ScriptOp::Wireframe);
    EXPECT_EQ(one("wireframe on").value, 1);
    EXPECT_EQ(one("part 0").value, 0);
    EXPECT_EQ(one("part 3").value, 3);
    EXPECT_EQ(one("mode camera").value, 0);
    EXPECT_EQ(one("mode lasso").value, 1);
    EXPECT_EQ(one("compression -0.35").number, -0.35f);
    EXPECT_EQ(one("compression 7").number, 7.0f); // clamped by the spinner, not the reader
    const ScriptCommand window = one("window 800 600");
    EXPECT_EQ(window.op, ScriptOp::Window);
    EXPECT_EQ(window.points, (std::vector<int>{800, 600}));
    EXPECT_EQ(one("window 800 0").points, (std::vector<int>{800, 0}));
}

TEST(SessionScript, FileCommandsTakeTheRestOfTheLineAsPath) {
    EXPECT_EQ(one("open-mesh Mesh/house facade.obj").path, "Mesh/house facade.obj");
    EXPECT_EQ(one("open-mesh    /tmp/a.obj   # the model").path, "/tmp/a.obj");
    EXPECT_EQ(one("open-mesh").path, "");
    EXPECT_EQ(one("open-mesh # cancelled").path, "");
    EXPECT_EQ(one("open-texture tex#1.png").path, "tex#1.png");
    EXPECT_EQ(one("open-texture").op, ScriptOp::OpenTexture);
    EXPECT_EQ(one("screenshot out/view.png\r").path, "out/view.png");
}

TEST(SessionScript, PointerKeyAndCameraCommands) {
    const ScriptCommand press = one("press right 10 -20 shift");
    EXPECT_EQ(press.op, ScriptOp::Press);
    EXPECT_EQ(press.button, kRightButton);
    EXPECT_EQ(press.points, (std::vector<int>{10, -20}));
    EXPECT_TRUE(press.shift);
    EXPECT_FALSE(one("press left 1 2").shift);
    EXPECT_EQ(one("press middle 1 2").button, kMiddleButton);
    EXPECT_EQ(one("move 640 480").points, (std::vector<int>{640, 480}));
    const ScriptCommand release = one("release left 3 4");
    EXPECT_EQ(release.button, kLeftButton);
    EXPECT_EQ(release.points, (std::vector<int>{3, 4}));
    const ScriptCommand drag = one("drag left 1 2 3 4 5 6");
    EXPECT_EQ(drag.op, ScriptOp::Drag);
    EXPECT_EQ(drag.points, (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(one("drag right 9 9").points, (std::vector<int>{9, 9}));
    EXPECT_EQ(one("key c").value, 'c');
    EXPECT_EQ(one("key Q").value, 'Q');
    EXPECT_EQ(one("key esc").value, kEscapeKey);
    const ScriptCommand camera = one("camera -0.21 0.2 0.04 0.95 0 1.5 -100");
    EXPECT_EQ(camera.pose, (std::array<float, 7>{-0.21f, 0.2f, 0.04f, 0.95f, 0, 1.5f, -100}));
    EXPECT_FALSE(camera.fieldOfView);
    EXPECT_EQ(one("camera 0 0 0 1 0 0 -100 45").fieldOfView, 45);
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
    EXPECT_EQ(parsed.commands[1].value, 'c');
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

TEST(SessionScript, UsageListsEveryCommand) {
    const std::string usage = usageText();
    for (const char* command : {"window W H",
                                "open-mesh [PATH]",
                                "open-texture [PATH]",
                                "set-up-camera",
                                "view input|output",
                                "back-face on|off",
                                "wireframe on|off",
                                "part 0|1|2|3",
                                "mode camera|lasso",
                                "push",
                                "back",
                                "preview",
                                "compression V",
                                "export",
                                "triangulate",
                                "quit",
                                "key K",
                                "press BUTTON X Y [shift]",
                                "move X Y",
                                "release BUTTON X Y",
                                "drag BUTTON X1 Y1 ... Xn Yn",
                                "camera QX QY QZ QW TX TY TZ [FOV]",
                                "screenshot PATH"})
        EXPECT_NE(usage.find("\n  " + std::string(command) + " "), std::string::npos) << command;
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
