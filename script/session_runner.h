// Replays a session script through the same handlers the GUI uses.
#pragma once

#include "script/session_script.h"

#include <string>
#include <vector>

// Runs commands in order on the installed window system: a command of a panel control sets
// the control's live variable (or answers its file dialog) and works the control; any other
// runs its own handler. A frame is drawn after every command, as the idle handler would.
// Returns 0 when every command ran; when one cannot be carried out (a screenshot that cannot
// be written, a window size the context refuses) prints "script:LINE: reason" on standard
// error and returns 2. quit and the keys q and esc end the process as in the GUI.
int runSessionCommands(const std::vector<ScriptCommand>& commands);

// The largest session script read: far beyond any session a person could play.
constexpr unsigned long long kMaxScriptBytes = 64ULL << 20;

// Reads the script file at path into text. Returns "" on success, else the reason: it cannot
// be opened or read, it is no regular file (a folder, FIFO or device), or it is larger than
// kMaxScriptBytes.
std::string readScriptFile(const std::string& path, std::string& text);

// Runs the session script in scriptPath on an offscreen 640 x 480 window after opening files
// as the GUI would. Returns the script's status: 0 when it ran to its end, 2 when it could not
// be read, has a bad line or a command failed (reported as "script:LINE: reason"), 1 when no
// offscreen OpenGL context can be made. A script that readScriptFile refuses gives one line,
// "hollowvista: REASON", and 2.
int runBatch(const std::string& scriptPath, const std::vector<std::string>& files);
