// What the session-file reader promises for any text, checked on arbitrary bytes. Shared by
// the libFuzzer program and the test that replays its findings.
#pragma once

#include <string>
#include <string_view>

// Reads text as a session file and, when it reads, puts its arrays on a small model of two
// faces and four vertices. Checks: a refusal always gives its reason; a file that reads writes
// back to text that reads to the same text; arrays that fit leave every per-face and
// per-vertex array at the model's counts and every face index within its array. Returns ""
// when all hold, else the first broken rule.
std::string checkSessionFile(std::string_view text);
