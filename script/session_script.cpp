#include "script/session_script.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <span>

namespace {

constexpr int kCoordinateLimit = 1000000;
constexpr int kWindowLimit = 8192;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

// The line without its comment: a "#" at the start of a word starts one.
std::string_view withoutComment(std::string_view line) {
    for (std::size_t i = 0; i < line.size(); ++i)
        if (line[i] == '#' && (i == 0 || isSpace(line[i - 1])))
            return line.substr(0, i);
    return line;
}

std::vector<std::string_view> words(std::string_view s) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && isSpace(s[i]))
            ++i;
        const std::size_t start = i;
        while (i < s.size() && !isSpace(s[i]))
            ++i;
        if (i > start)
            out.push_back(s.substr(start, i - start));
    }
    return out;
}

// Reads the arguments of one command; the first problem found is kept as the reason the line
// is bad, and every later read is skipped.
class ArgumentReader {
  public:
    // word in double quotes. Built by appending: GCC 12 misreads "\"" + std::string(...) in
    // optimised builds as an overlapping copy.
    static std::string quoted(std::string_view word) {
        std::string text;
        text.reserve(word.size() + 2);
        text += '"';
        text.append(word);
        text += '"';
        return text;
    }

    bool failed() const { return !reason_.empty(); }
    const std::string& reason() const { return reason_; }
    void fail(std::string reason) {
        if (reason_.empty())
            reason_ = std::move(reason);
    }

    int wholeNumber(std::string_view word, int minimum, int maximum) {
        int value = 0;
        const char* end = word.data() + word.size();
        const auto [ptr, ec] = std::from_chars(word.data(), end, value);
        if (ec != std::errc() || ptr != end)
            fail(quoted(word) + " is not a whole number");
        else if (value < minimum || value > maximum)
            fail(std::string(word) + " is outside " + std::to_string(minimum) + " .. " +
                 std::to_string(maximum));
        return value;
    }

    float realNumber(std::string_view word) {
        float value = 0;
        const char* end = word.data() + word.size();
        const auto [ptr, ec] = std::from_chars(word.data(), end, value);
        if (ec != std::errc() || ptr != end || !std::isfinite(value))
            fail(quoted(word) + " is not a number");
        return value;
    }

    // The position of word among choices: the value it stands for.
    int choice(std::string_view word, std::initializer_list<std::string_view> choices) {
        int index = 0;
        std::string list;
        for (std::string_view c : choices) {
            if (word == c)
                return index;
            list += index++ == 0 ? "" : " or ";
            list += c;
        }
        fail(quoted(word) + " is not " + list);
        return 0;
    }

    // GLUT's button numbers: left 0, middle 1, right 2.
    int button(std::string_view word) { return choice(word, {"left", "middle", "right"}); }

    unsigned char key(std::string_view word) {
        if (word == "esc")
            return 27;
        if (word.size() != 1)
            fail(quoted(word) + " is not one character or esc");
        return word.empty() ? 0 : static_cast<unsigned char>(word[0]);
    }

    void points(CommandArgs& c, std::span<const std::string_view> words) {
        for (std::string_view w : words)
            c.points.push_back(wholeNumber(w, -kCoordinateLimit, kCoordinateLimit));
    }

    bool count(std::size_t have, std::size_t minimum, std::size_t maximum) {
        if (have < minimum || have > maximum)
            fail("wrong number of arguments");
        return !failed();
    }

  private:
    std::string reason_;
};

// Fills c from the arguments of its command; a bad argument is left in in.reason().
void readArguments(const Command& command, CommandArgs& c, std::span<const std::string_view> args,
                   std::string_view rest, ArgumentReader& in) {
    switch (command.arguments) {
    case Arguments::None:
        in.count(args.size(), 0, 0);
        break;
    case Arguments::OptionalPath:
        c.path = std::string(rest);
        break;
    case Arguments::Path:
        if (rest.empty())
            in.fail("missing PATH");
        c.path = std::string(rest);
        break;
    case Arguments::Choice:
        if (in.count(args.size(), 1, 1))
            c.value = in.choice(args[0], {command.choices[0], command.choices[1]});
        break;
    case Arguments::PartNumber:
        if (in.count(args.size(), 1, 1))
            c.value = in.wholeNumber(args[0], 0, 3);
        break;
    case Arguments::Number:
        if (in.count(args.size(), 1, 1))
            c.number = in.realNumber(args[0]);
        break;
    case Arguments::Key:
        if (in.count(args.size(), 1, 1))
            c.value = in.key(args[0]);
        break;
    case Arguments::WindowSize:
        if (in.count(args.size(), 2, 2))
            c.points = {in.wholeNumber(args[0], 1, kWindowLimit),
                        in.wholeNumber(args[1], 0, kWindowLimit)};
        break;
    case Arguments::Press:
        if (in.count(args.size(), 3, 4)) {
            c.button = in.button(args[0]);
            in.points(c, args.subspan(1, 2));
            c.shift = args.size() == 4 && in.choice(args[3], {"shift"}) == 0;
        }
        break;
    case Arguments::Point:
        if (in.count(args.size(), 2, 2))
            in.points(c, args);
        break;
    case Arguments::Release:
        if (in.count(args.size(), 3, 3)) {
            c.button = in.button(args[0]);
            in.points(c, args.subspan(1));
        }
        break;
    case Arguments::Drag:
        if (args.size() < 3 || args.size() % 2 == 0) {
            in.fail("wrong number of arguments");
        } else {
            c.button = in.button(args[0]);
            in.points(c, args.subspan(1));
        }
        break;
    case Arguments::Scale:
        c.value = 2;
        c.number = -1;
        if (in.count(args.size(), 0, 2) && args.size() >= 1)
            c.value = in.wholeNumber(args[0], 1, 4);
        if (args.size() == 2 && !in.failed()) {
            c.number = in.realNumber(args[1]);
            if (!in.failed() && c.number < 0)
                in.fail(std::string(args[1]) + " is below 0");
        }
        break;
    case Arguments::Pose:
        if (in.count(args.size(), 7, 8)) {
            for (std::size_t i = 0; i < 7; ++i)
                c.pose[i] = in.realNumber(args[i]);
            if (args.size() == 8)
                c.fieldOfView = in.wholeNumber(args[7], 1, 179);
        }
        break;
    }
}

// Reads one line (without its end of line); nullopt for a blank or comment line, and for a
// bad line after filling error.
std::optional<ScriptCommand> parseScriptLine(std::string_view line, int lineNumber,
                                             std::optional<ScriptError>& error) {
    const std::string_view text = trim(withoutComment(line));
    const std::vector<std::string_view> all = words(text);
    if (all.empty())
        return std::nullopt;
    const Command* command = findCommand(all[0]);
    if (!command) {
        error = ScriptError{lineNumber, "unknown command \"" + std::string(all[0]) + "\""};
        return std::nullopt;
    }
    ScriptCommand parsed{command, lineNumber, {}};
    const std::vector<std::string_view> args(all.begin() + 1, all.end());
    const std::string_view rest = trim(text.substr(all[0].size()));
    ArgumentReader reader;
    readArguments(*command, parsed.args, args, rest, reader);
    if (reader.failed()) {
        error = ScriptError{lineNumber,
                            reader.reason() + " (usage: " + std::string(command->usage) + ")"};
        return std::nullopt;
    }
    return parsed;
}

} // namespace

ParsedScript parseSessionScript(std::string_view text) {
    ParsedScript parsed;
    // A byte-order mark some editors put at the start is not part of the first command.
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    int lineNumber = 0;
    while (!text.empty() || lineNumber == 0) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        std::optional<ScriptCommand> command = parseScriptLine(line, lineNumber, parsed.error);
        if (parsed.error)
            return parsed;
        if (command)
            parsed.commands.push_back(std::move(*command));
    }
    return parsed;
}

std::string usageText() {
    std::string text =
        "Usage: hollowvista [GLUT options] [--quiet] [MODEL.obj [TEXTURE]]\n"
        "       hollowvista --batch SCRIPT [--quiet] [MODEL.obj [TEXTURE]]\n"
        "       hollowvista --help\n"
        "\n"
        "Opens the model (and its texture) at start as \"Open Mesh\" and \"Open Texture\" do;\n"
        "with --batch a model or texture that does not open stops the run with status 2.\n"
        "--quiet leaves out the trace lines of lasso, \"Preview\" and \"Export\" (painted\n"
        "vertices, part depths, pair lines); diagnostics and progress are printed.\n"
        "--batch runs a session script with no display: each command goes through the same\n"
        "handlers as the GUI and a frame is drawn after each. A bad line stops the script with\n"
        "\"script:LINE: reason\" and exit status 2. One command a line; a word starting with #\n"
        "starts a comment; X Y are window pixels with y from the top:\n\n";
    for (const Command& c : commandTable()) {
        std::string usage(c.usage);
        usage.resize(std::max<std::size_t>(usage.size() + 1, 37), ' ');
        text += "  " + usage + std::string(c.meaning) + "\n";
    }
    return text;
}
