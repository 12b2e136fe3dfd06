// "Save Session" and "Open Session": the open work written to a session file and read back.
#pragma once

#include <string>

struct CommandArgs;

// Writes the open work to path (replaced only once complete). Returns "" and prints
// "Session saved: PATH", or returns why not (no model open, the file cannot be written).
std::string saveSessionFile(const std::string& path);

// Reads the model and texture a session file names and puts the work back as it was saved.
// Returns "" on success (one undo step "Open Session"); otherwise why not, and nothing of the
// open work has changed: the file cannot be read, is truncated, corrupt or of a later
// version, its model is missing or has changed, or its arrays do not fit the model.
std::string openSessionFile(const std::string& path);

// The script lines save-session PATH and open-session PATH: as above, the failure printed
// as one line "save-session: ..." or "open-session: ..." (the script goes on).
std::string scriptedSaveSession(const CommandArgs& args);
std::string scriptedOpenSession(const CommandArgs& args);
