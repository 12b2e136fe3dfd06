#include "tests/fuzz/script_check.h"

#include "app/session_script.h"

#include <cmath>

namespace {

bool within(int value, int low, int high) {
    return value >= low && value <= high;
}

bool pointsWithin(const ScriptCommand& c) {
    for (int p : c.points)
        if (!within(p, -1000000, 1000000))
            return false;
    return true;
}

// The argument ranges of one parsed command.
std::string checkCommand(const ScriptCommand& c) {
    switch (c.op) {
    case ScriptOp::Window:
        if (c.points.size() != 2 || !within(c.points[0], 1, 8192) || !within(c.points[1], 0, 8192))
            return "window size out of range";
        break;
    case ScriptOp::View:
    case ScriptOp::BackFace:
    case ScriptOp::Wireframe:
    case ScriptOp::Mode:
        if (!within(c.value, 0, 1))
            return "choice out of range";
        break;
    case ScriptOp::Part:
        if (!within(c.value, 0, 3))
            return "part out of range";
        break;
    case ScriptOp::Compression:
        if (!std::isfinite(c.number))
            return "compression not finite";
        break;
    case ScriptOp::Key:
        if (!within(c.value, 0, 255))
            return "key out of range";
        break;
    case ScriptOp::Press:
    case ScriptOp::Release:
    case ScriptOp::Move:
        if (c.points.size() != 2 || !pointsWithin(c) || !within(c.button, 0, 2))
            return "pointer command with bad arguments";
        break;
    case ScriptOp::Drag:
        if (c.points.size() < 2 || c.points.size() % 2 != 0 || !pointsWithin(c) ||
            !within(c.button, 0, 2))
            return "drag with bad points";
        break;
    case ScriptOp::Camera:
        for (float v : c.pose)
            if (!std::isfinite(v))
                return "camera pose not finite";
        if (c.fieldOfView && !within(*c.fieldOfView, 1, 179))
            return "field of view out of range";
        break;
    case ScriptOp::Screenshot:
        if (c.path.empty())
            return "screenshot without a path";
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
    return "";
}
