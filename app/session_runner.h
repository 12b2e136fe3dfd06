// Replays a session script through the same handlers the GUI uses.
#pragma once

#include "app/session_script.h"

#include <vector>

class OffscreenContext;
class OffscreenWindowSystem;

// Runs commands in order: panel commands set the control's live variable and run its callback,
// pointer and key commands call the 3-D window's handlers, the file chooser is answered by
// the script. A frame is drawn after every command (and after every step of a drag), as the
// idle handler would. windows must be the installed window system, drawing into context.
// Returns 0 when every command ran; when one cannot be carried out (a screenshot that cannot
// be written, a window size the context refuses) prints "script:LINE: reason" on standard
// error and returns 2. quit and the keys q and esc end the process as in the GUI.
int runSessionCommands(const std::vector<ScriptCommand>& commands, OffscreenContext& context,
                       OffscreenWindowSystem& windows);
