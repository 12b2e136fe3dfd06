// What the session-script parser promises for any text, checked on arbitrary bytes. Shared by
// the libFuzzer program and the test that replays its findings.
#pragma once

#include <string>
#include <string_view>

// Parses text and checks the result: commands in ascending line order before any error line,
// every argument within the range its command allows, a reason for every error; then the same
// text as the program's command-line words (checkCommandLine). Returns "" when all hold, else
// the first broken rule.
std::string checkSessionScript(std::string_view text);

// Reads text's whitespace-separated words as the program's arguments: unless refused, at most
// two files, none an option, --batch with its script, and --batch and --help seen alike by the
// look before GLUT and by the full reading.
std::string checkCommandLine(std::string_view text);
