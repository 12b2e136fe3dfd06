// What the session-script parser promises for any text, checked on arbitrary bytes. Shared by
// the libFuzzer program and the test that replays its findings.
#pragma once

#include <string>
#include <string_view>

// Parses text and checks the result: commands in ascending line order before any error line,
// every argument within the range its command allows, a reason for every error. Returns ""
// when all hold, else the first broken rule.
std::string checkSessionScript(std::string_view text);
