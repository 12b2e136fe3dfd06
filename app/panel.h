// The control panel described as data: one row per control in creation order, with its kind,
// label, parent, identifier and live variable. The panel window draws it by walking the rows;
// tests read the same rows.
#pragma once

#include <optional>
#include <string>
#include <vector>

enum class ControlKind {
    Panel,       // a framed box holding the rows whose parent it is
    Button,      // reports its identifier when pressed
    StaticText,  // a line of text (a string of spaces sets a panel's width)
    RadioGroup,  // holds radio buttons; its live variable takes the pressed button's value
    RadioButton, // one choice of its parent group
    Checkbox,    // live int variable 0 or 1
    ListBox,     // drop-down list of items; live variable takes the chosen item's value
    Spinner,     // live float variable kept within [minimum, maximum]
    Column,      // top level: the rows after it form the next column
};

enum class PanelFrame { None, Embossed, Raised };

// What a control does after storing its live variable.
enum class ControlCallback { None, Dispatch, Quit };

struct ListItem {
    int value;
    std::string text;
};

struct PanelControl {
    ControlKind kind;
    std::string label{};
    int parent = -1;         // row index of the containing panel or radio group; -1 = top level
    std::optional<int> id{}; // identifier reported by the control (ControlId)
    ControlCallback callback = ControlCallback::None;
    int* intVariable = nullptr;     // live variable of radio groups, checkboxes, list boxes
    float* floatVariable = nullptr; // live variable of the spinner
    int value = 0;                  // value a radio button gives its group
    PanelFrame frame = PanelFrame::None;
    std::vector<ListItem> items{}; // list-box entries in the order they are added
    float minimum = 0, maximum = 0;
    // A static text whose words the program keeps current: drawn instead of label each frame.
    std::string (*liveText)() = nullptr;
    // A button that can be worked only while this returns true (drawn disabled otherwise);
    // null: always.
    bool (*enabled)() = nullptr;
};

// The panel's rows in creation order.
const std::vector<PanelControl>& panelControls();

// Stores value into a control's live variable as the control itself would (the spinner
// clamps it to its limits). Returns false for a control without a live variable.
bool setControlValue(const PanelControl& control, float value);

// Index of the first row of the given kind whose identifier is id; -1 when none.
int findControl(ControlKind kind, int id);

// The text after "GLUI version: ": the version of the panel library actually linked.
const char* panelLibraryVersion();
