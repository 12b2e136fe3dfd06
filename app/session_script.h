// Session scripts: a plain-text list of the actions a person takes in the program, one a
// line, read into commands that the runner replays through the GUI's own handlers. No
// OpenGL here.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class ScriptOp {
    Window,      // window W H
    OpenMesh,    // open-mesh [PATH]
    OpenTexture, // open-texture [PATH]
    SetUpCamera, // set-up-camera
    View,        // view input|output           -> value 0|1
    BackFace,    // back-face on|off            -> value 1|0
    Wireframe,   // wireframe on|off            -> value 1|0
    Part,        // part 0|1|2|3                -> value
    Mode,        // mode camera|lasso           -> value 0|1
    Push,        // push
    Back,        // back
    Preview,     // preview
    Compression, // compression V               -> number
    Export,      // export
    Triangulate, // triangulate
    Quit,        // quit
    Key,         // key K (one character or esc) -> value = the key's code
    Press,       // press BUTTON X Y [shift]
    Move,        // move X Y
    Release,     // release BUTTON X Y
    Drag,        // drag BUTTON X1 Y1 ... Xn Yn
    Camera,      // camera QX QY QZ QW TX TY TZ [FOV]
    Screenshot,  // screenshot PATH
};

struct ScriptCommand {
    ScriptOp op = ScriptOp::Quit;
    int line = 0;                // 1-based line of the script
    int value = 0;               // choice of view/back-face/wireframe/part/mode, key code
    int button = 0;              // kLeftButton, kMiddleButton or kRightButton
    bool shift = false;          // press ... shift
    std::vector<int> points;     // window: W, H; pointer commands: x, y pairs
    float number = 0;            // compression value as written
    std::array<float, 7> pose{}; // camera: rotation x, y, z, w, translation x, y, z
    std::optional<int> fieldOfView;
    std::string path; // open-mesh/open-texture ("" = the user cancels), screenshot
};

struct ScriptError {
    int line = 0;
    std::string reason;
};

struct ParsedScript {
    std::vector<ScriptCommand> commands;
    std::optional<ScriptError> error; // the first bad line; commands then holds those before it
};

// Reads a whole script. Blank lines are skipped; a word starting with "#" starts a comment
// that runs to the end of the line. Paths are the rest of the line, so they may hold spaces.
ParsedScript parseSessionScript(std::string_view text);

// Reads one line (without its end of line); nullopt for a blank or comment line. Fills error
// and returns nullopt for a bad line.
std::optional<ScriptCommand> parseScriptLine(std::string_view line, int lineNumber,
                                             std::optional<ScriptError>& error);

// The usage text of the program and of the script language, as --help prints it.
std::string usageText();
