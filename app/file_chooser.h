// The modal file dialogs of "Open Mesh", "Open Texture", "Open Session" and "Save Session".
#pragma once

#include <optional>
#include <string>
#include <vector>

// What a dialog looks for: a model's and an image's filters ("Wavefront OBJ (*.obj)", "Images",
// "All Files") are the same for both, and the kind's own is chosen at first; a session's
// dialog lists "Hollowvista session (*.hvsession)" and "All Files".
enum class FileKind { Model, Image, Session };

struct FileFilter {
    std::string name;
    std::vector<std::string> patterns; // shell patterns, matched without regard to case
};

// The filters of a dialog for a model or an image, in the order it lists them.
const std::vector<FileFilter>& fileFilters();
// The filters of a dialog for a session file.
const std::vector<FileFilter>& sessionFileFilters();
// The filters a dialog for kind lists, and the index of the one it starts with.
const std::vector<FileFilter>& filtersFor(FileKind kind);
int startingFilter(FileKind kind);

// Shows the dialog and returns the full path of the chosen existing file, or "" when the
// user cancels, the dialog fails or there is no display. The current 3-D window and the
// working directory are the same afterwards. A pending scriptedFileChoice is returned (and
// consumed) instead of showing the dialog.
std::string chooseInputFile(FileKind kind);

// The modal save dialog: proposes suggestedName in the last folder chosen, asks before a file
// is replaced, and returns the full path chosen or "" as chooseInputFile does (a pending
// scriptedFileChoice is returned instead of showing it).
std::string chooseOutputFile(FileKind kind, const std::string& suggestedName);

// Set by the session-script runner: the answer of the next dialog ("" = cancel).
extern std::optional<std::string> scriptedFileChoice;
