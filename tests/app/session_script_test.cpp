// Reading session scripts and the command line: each kind of argument, comments and paths,
// and the line and reason reported for a bad line.
#include "script/command_line.h"
#include "script/session_script.h"

#include "tests/support/gl_test.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// One script line as read: the command word and the arguments its kind fills, or the error
// line as the batch runner prints it.
std::string describe(const std::string& line) {
    const ParsedScript parsed = parseSessionScript(line);
    std::ostringstream out;
    if (parsed.error) {
        out << "script:" << parsed.error->line << ": " << parsed.error->reason;
        return out.str();
    }
    if (parsed.commands.size() != 1)
        return "no command";
    const ScriptCommand& c = parsed.commands[0];
    const CommandArgs& a = c.args;
    out << c.command->word;
    switch (c.command->arguments) {
    case Arguments::Choice:
    case Arguments::PartNumber:
    case Arguments::Key:
        out << " " << a.value;
        break;
    case Arguments::Scale:
        out << " " << a.value << " " << a.number;
        break;
    case Arguments::Number:
        out << " " << a.number;
        break;
    case Arguments::OptionalPath:
    case Arguments::Path:
        out << " \"" << a.path << "\"";
        break;
    case Arguments::Press:
    case Arguments::Release:
    case Arguments::Drag:
        out << " button " << a.button;
        break;
    case Arguments::Pose:
        for (float v : a.pose)
            out << " " << v;
        if (a.fieldOfView)
            out << " fov " << *a.fieldOfView;
        break;
    default:
        break;
    }
    for (int p : a.points)
        out << " " << p;
    if (a.shift)
        out << " shift";
    return out.str();
}

TEST(SessionScript, LinesAndWhatTheyRead) {
    const std::string arguments = "wrong number of arguments", whole = " is not a whole number";
    const std::string press = " (usage: press BUTTON X Y [shift])";
    const std::string camera = " (usage: camera QX QY QZ QW TX TY TZ [FOV])";
    const std::string solid = " (usage: export-solid [SCALE [TOLERANCE]])";
    const std::pair<std::string, std::string> cases[] = {
        {"set-up-camera", "set-up-camera"},
        {"view output", "view 1"},
        {"back-face off", "back-face 0"},
        {"part 3", "part 3"},
        {"mode lasso", "mode 1"},
        {"compression -0.35", "compression -0.35"},
        {"compression 7", "compression 7"}, // clamped by the spinner, not the reader
        {"export-solid", "export-solid 2 -1"},
        {"export-solid 4", "export-solid 4 -1"},
        {"export-solid 1 0", "export-solid 1 0"},
        {"export-solid 3 0.25", "export-solid 3 0.25"},
        {"window 800 0", "window 800 0"},
        {"open-mesh Mesh/house facade.obj", "open-mesh \"Mesh/house facade.obj\""},
        {"open-mesh    /tmp/a.obj   # the model", "open-mesh \"/tmp/a.obj\""},
        {"open-mesh # cancelled", "open-mesh \"\""},
        {"screenshot out/view.png\r", "screenshot \"out/view.png\""},
        {"press right 10 -20 shift", "press button 2 10 -20 shift"},
        {"press middle 1 2", "press button 1 1 2"},
        {"release left 3 4", "release button 0 3 4"},
        {"drag left 1 2 3 4 5 6", "drag button 0 1 2 3 4 5 6"},
        {"key Q", "key 81"},
        {"key esc", "key 27"},
        {"camera -0.21 0.2 0.04 0.95 0 1.5 -100", "camera -0.21 0.2 0.04 0.95 0 1.5 -100"},
        {"camera 0 0 0 1 0 0 -100 45", "camera 0 0 0 1 0 0 -100 fov 45"},
        {"Window 1 2", "script:1: unknown command \"Window\""},
        {"window 0 10", "script:1: 0 is outside 1 .. 8192 (usage: window W H)"},
        {"window 64x 10", "script:1: \"64x\"" + whole + " (usage: window W H)"},
        {"view both", "script:1: \"both\" is not input or output (usage: view input|output)"},
        {"back-face yes", "script:1: \"yes\" is not off or on (usage: back-face on|off)"},
        {"part 4", "script:1: 4 is outside 0 .. 3 (usage: part 0|1|2|3)"},
        {"mode paint", "script:1: \"paint\" is not camera or lasso (usage: mode camera|lasso)"},
        {"compression nan", "script:1: \"nan\" is not a number (usage: compression V)"},
        {"push now", "script:1: " + arguments + " (usage: push)"},
        {"export-solid 5", "script:1: 5 is outside 1 .. 4" + solid},
        {"export-solid 1 -0.5", "script:1: -0.5 is below 0" + solid},
        {"export-solid 1 fine", "script:1: \"fine\" is not a number" + solid},
        {"export-solid 1 0.5 2", "script:1: " + arguments + solid},
        {"key enter", "script:1: \"enter\" is not one character or esc (usage: key K)"},
        {"press wheel 1 2", "script:1: \"wheel\" is not left or middle or right" + press},
        {"press left 1 2 ctrl", "script:1: \"ctrl\" is not shift" + press},
        {"drag left 1 2 3", "script:1: " + arguments + " (usage: drag BUTTON X1 Y1 ... Xn Yn)"},
        {"move 1 99999999999", "script:1: \"99999999999\"" + whole + " (usage: move X Y)"},
        {"camera 0 0 0 1 0 0 -100 30.5", "script:1: \"30.5\"" + whole + camera},
        {"camera 0 0 0 1 0 0 -100 180", "script:1: 180 is outside 1 .. 179" + camera},
        {"screenshot   # nowhere", "script:1: missing PATH (usage: screenshot PATH)"},
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(describe(line), expected) << line;
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
    // A bad line ends the reading: the commands before it are kept, none after it.
    const ParsedScript bad = parseSessionScript("key c\n\njump 3\nkey r\n");
    EXPECT_EQ(bad.commands.size(), 1u);
    EXPECT_EQ(bad.error->line, 3);
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
