// The modal open-file dialog of "Open Mesh" and "Open Texture".
#pragma once

#include <optional>
#include <string>

// Shows the dialog and returns the full path of the chosen existing file, or "" when the
// user cancels, the dialog fails or there is no display. The current 3-D window and the
// working directory are the same afterwards. A pending scriptedFileChoice is returned (and
// consumed) instead of showing the dialog.
std::string chooseInputFile();

// Set by the session-script runner: the answer of the next dialog ("" = cancel).
extern std::optional<std::string> scriptedFileChoice;
