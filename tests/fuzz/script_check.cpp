#include "tests/fuzz/script_check.h"

#include "script/command_line.h"
#include "script/session_script.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <vector>

namespace {

bool within(int value, int low, int high) {
    return value >= low && value <= high;
}

bool pointsWithin(const CommandArgs& c) {
    return std::all_of(c.points.begin(), c.points.end(),
                       [](int p) { return within(p, -1000000, 1000000); });
}

// The argument ranges of one parsed command.
std::string checkCommand(const ScriptCommand& c) {
    const CommandArgs& a = c.args;
    switch (c.command->arguments) {
    case Arguments::WindowSize:
        if (a.points.size() != 2 || !within(a.points[0], 1, 8192) || !within(a.points[1], 0, 8192))
            return "window size out of range";
        break;
    case Arguments::Choice:
        if (!within(a.value, 0, 1))
            return "choice out of range";
        break;
    case Arguments::PartNumber:
        if (!within(a.value, 0, 3))
            return "part out of range";
        break;
    case Arguments::Number:
        if (!std::isfinite(a.number))
            return "number not finite";
        break;
    case Arguments::Key:
        if (!within(a.value, 0, 255))
            return "key out of range";
        break;
    case Arguments::Press:
    case Arguments::Release:
    case Arguments::Point:
        if (a.points.size() != 2 || !pointsWithin(a) || !within(a.button, 0, 2))
            return "pointer command with bad arguments";
        break;
    case Arguments::Drag:
        if (a.points.size() < 2 || a.points.size() % 2 != 0 || !pointsWithin(a) ||
            !within(a.button, 0, 2))
            return "drag with bad points";
        break;
    case Arguments::Pose:
        for (float v : a.pose)
            if (!std::isfinite(v))
                return "camera pose not finite";
        if (a.fieldOfView && !within(*a.fieldOfView, 1, 179))
            return "field of view out of range";
        break;
    case Arguments::Scale:
        if (!within(a.value, 1, 4))
            return "scale out of range";
        break;
    case Arguments::Path:
        if (a.path.empty())
            return "a required path is empty";
        break;
    default:
        break;
    }
    return "";
}

} // namespace

std::string checkSessionScript(std::string_view text) {
    const ParsedScript parsed = parseSessionScript(text);
    int lastLine = 0;
    for (const ScriptCommand& c : parsed.commands) {
        if (c.line <= lastLine)
            return "commands out of line order";
        lastLine = c.line;
        if (std::string why = checkCommand(c); !why.empty())
            return why;
    }
    if (parsed.error && (parsed.error->line <= lastLine || parsed.error->reason.empty()))
        return "error line before its commands or without a reason";
    return checkCommandLine(text);
}

std::string checkCommandLine(std::string_view text) {
    std::vector<std::string> args;
    std::istringstream words{std::string(text)};
    for (std::string word; words >> word;)
        args.push_back(word);
    const CommandLine line = parseCommandLine(args);
    if (!line.error.empty())
        return "";
    if (line.files.size() > 2)
        return "more than a model and a texture taken";
    if (line.batch != wantsBatch(args) || line.help != wantsHelp(args))
        return "--batch or --help read differently before and after GLUT";
    if (line.batch && line.script.empty())
        return "--batch without its script";
    for (const std::string& file : line.files)
        if (file.size() > 1 && file[0] == '-')
            return "an option taken as a file: " + file;
    return "";
}
