// The control panel's one callback and the commands it runs.
#pragma once

#include "app/panel.h"

// Runs the command of control id with the 3-D window selected and then asks for that window
// to be redrawn. Unknown identifiers only do the selecting and the redraw.
void dispatchCommand(int id);

// "Quit": ends the process with the button's identifier, -1, as exit status.
[[noreturn]] void quitCommand();

// Runs what a control does once its live variable holds the new value: "Quit" ends the
// process, every other control with an identifier calls dispatchCommand with it.
void runControlCallback(const PanelControl& control);
