// The program's commands in one table: the word a session script uses for each, what follows
// that word, its line in --help, the panel control that runs it and what it does. The
// dispatcher, the session-script reader and runner, --help and the README's check all read
// this table, so a command is added in one place.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// What follows a command word in a session script.
enum class Arguments {
    None,
    OptionalPath, // the rest of the line, possibly empty (the dialog is cancelled)
    Path,         // the rest of the line, not empty
    Choice,       // one of the row's two choices -> value 0 or 1
    PartNumber,   // 0 .. 3 -> value
    Number,       // a finite real -> number
    Key,          // one character or "esc" -> value
    WindowSize,   // W H -> points
    Press,        // BUTTON X Y [shift] -> button, points, shift
    Point,        // X Y -> points
    Release,      // BUTTON X Y -> button, points
    Drag,         // BUTTON X1 Y1 ... Xn Yn -> button, points
    Pose,         // QX QY QZ QW TX TY TZ [FOV] -> pose, fieldOfView
    Scale,        // [SCALE [TOLERANCE]]: 1 .. 4, 2 when left out -> value; 0 or more, -1
                  // when left out -> number
};

// The arguments of one command as read from a script line.
struct CommandArgs {
    int value = 0;               // choice, part number, key code
    int button = 0;              // kLeftButton, kMiddleButton or kRightButton
    bool shift = false;          // press ... shift
    std::vector<int> points;     // window: W, H; pointer commands: x, y pairs
    float number = 0;            // as written; a control clamps it
    std::array<float, 7> pose{}; // rotation x, y, z, w, translation x, y, z
    std::optional<int> fieldOfView{};
    std::string path{}; // "" = the dialog is cancelled
};

struct Command {
    std::string_view word{};
    Arguments arguments = Arguments::None;
    std::array<std::string_view, 2> choices{}; // Arguments::Choice: the words for 0 and 1
    std::string_view usage{};                  // the command as --help shows it
    std::string_view meaning{};                // what it does, for --help
    // The panel control (ControlId) that runs the command; a script sets the control's live
    // variable (or answers its file dialog) and then works it as a user would.
    std::optional<int> control{};
    // What the control runs once its live variable holds the new value (dispatchCommand);
    // null when the new value only takes effect where it is read.
    void (*command)() = nullptr;
    // A command with no control: what the script line does. Returns "" or why it could not
    // be carried out.
    std::string (*scripted)(const CommandArgs&) = nullptr;
};

// Every command, in the order --help and the README list them.
std::span<const Command> commandTable();

// The row for a script word, or null.
const Command* findCommand(std::string_view word);
