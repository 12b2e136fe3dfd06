// "Save Session" and "Open Session": the open work written to a session file and read back.
#pragma once

#include <string>

struct CommandArgs;

// Writes the open work to path (replaced only once complete). Returns "" and prints
// "Session saved: PATH", or returns why not (no model open, the file cannot be written).
std::string saveSessionFile(const std::string& path);

// Reads the model and texture a session file names and puts the work back as it was saved.
// Returns "" on success (one undo step "Open Session"); otherwise why not, and nothing of the
// open work has changed: the file cannot be read or is no regular file, is truncated, corrupt or of
// a later version, its model is missing or has changed, or its arrays do not fit the model.
std::string openSessionFile(const std::string& path);

// The autosave: with it on, the work is written to data/autosave.hvsession after every edit,
// undo and redo, in the background at the lowest priority (an edit made while a write runs
// never waits: the newest state is written once that write ends), and the program's end
// names the file. The first write of a run keeps the file an
// earlier run left as data/autosave.previous.hvsession. Off until turned on: the GUI turns it
// on at start, a session script with "autosave on".
constexpr const char* kAutosavePath = "data/autosave.hvsession";
void setAutosave(bool on);
// Waits for a running autosave write to end.
void finishAutosave();
// At start-up: when an autosave exists, one line saying how to reopen it.
void reportEarlierAutosave();
std::string scriptedAutosave(const CommandArgs& args);

// "Save Session" and "Open Session" (and the script lines save-session PATH and open-session
// PATH, which answer the dialog): the file chosen in the dialog is written or read as above,
// a failure printed as one line "save-session: ..." or "open-session: ..." (a script goes
// on). A cancelled dialog does nothing.
void saveSessionCommand();
void openSessionCommand();
