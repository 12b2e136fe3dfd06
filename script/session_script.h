// Session scripts: a plain-text list of the actions a person takes in the program, one a
// line, read into commands of the command table that the runner replays through the GUI's
// own handlers. No OpenGL here.
#pragma once

#include "app/command_table.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ScriptCommand {
    const Command* command = nullptr; // its row of the command table
    int line = 0;                     // 1-based line of the script
    CommandArgs args;
};

struct ScriptError {
    int line = 0;
    std::string reason;
};

struct ParsedScript {
    std::vector<ScriptCommand> commands;
    std::optional<ScriptError> error; // the first bad line; commands then holds those before it
};

// Reads a whole script. Blank lines are skipped; a word starting with "#" starts a comment
// that runs to the end of the line. Paths are the rest of the line, so they may hold spaces.
// A bad line ends the reading: error says which and why ("unknown command", or what is wrong
// with an argument followed by the command's usage).
ParsedScript parseSessionScript(std::string_view text);

// The usage text of the program and of the script language, as --help prints it: one line
// per command of the table.
std::string usageText();
