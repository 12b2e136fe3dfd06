// The modal open-file dialog of "Open Mesh" and "Open Texture".
#pragma once

#include <optional>
#include <string>
#include <vector>

// What a dialog looks for: its filters ("Wavefront OBJ (*.obj)", "Images", "All Files") are the
// same for both, and the kind's own is chosen at first.
enum class FileKind { Model, Image };

struct FileFilter {
    std::string name;
    std::vector<std::string> patterns; // shell patterns, matched without regard to case
};

// The dialog's filters in the order it lists them.
const std::vector<FileFilter>& fileFilters();
// The index in fileFilters() of the filter a dialog for kind starts with.
int startingFilter(FileKind kind);

// Shows the dialog and returns the full path of the chosen existing file, or "" when the
// user cancels, the dialog fails or there is no display. The current 3-D window and the
// working directory are the same afterwards. A pending scriptedFileChoice is returned (and
// consumed) instead of showing the dialog.
std::string chooseInputFile(FileKind kind);

// Set by the session-script runner: the answer of the next dialog ("" = cancel).
extern std::optional<std::string> scriptedFileChoice;
