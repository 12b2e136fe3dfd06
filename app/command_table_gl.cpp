#include "app/command_table.h"

#include "app/app_state.h"
#include "app/camera.h"
#include "app/commands.h"
#include "app/input_handlers.h"
#include "app/part_commands.h"

namespace {

// A command that can fail to write its files: its status is kept for a session script, which
// stops on a failure; the panel has said why on the console already.
template <int (*run)()> void keepingStatus() {
    if (run() != 0)
        commandFailed = true;
}

const Command kCommands[] = {
    {.word = "window",
     .arguments = Arguments::WindowSize,
     .usage = "window W H",
     .meaning = "reshape the 3-D window (H = 0 acts as a minimised window)",
     .scripted = scriptedWindowSize},
    {.word = "open-mesh",
     .arguments = Arguments::OptionalPath,
     .usage = "open-mesh [PATH]",
     .meaning = "\"Open Mesh\"; without PATH the user cancels the dialog",
     .control = kOpenMesh,
     .command = openMeshCommand},
    {.word = "open-texture",
     .arguments = Arguments::OptionalPath,
     .usage = "open-texture [PATH]",
     .meaning = "\"Open Texture\", likewise",
     .control = kOpenTexture,
     .command = openTextureCommand},
    {.word = "set-up-camera",
     .usage = "set-up-camera",
     .meaning = "\"Set Up a Camera\"",
     .control = kSetUpCamera,
     .command = storeSetupCamera},
    {.word = "view",
     .arguments = Arguments::Choice,
     .choices = {"input", "output"},
     .usage = "view input|output",
     .meaning = "\"View\"",
     .control = kShownModel},
    {.word = "frame",
     .usage = "frame",
     .meaning = "\"Frame Model\": fit the model into the window from the start-up pose",
     .control = kFrameModel,
     .command = frameModel},
    {.word = "back-face",
     .arguments = Arguments::Choice,
     .choices = {"off", "on"},
     .usage = "back-face on|off",
     .meaning = "\"Back Face\"",
     .control = kBackFace,
     .command = backFaceCommand},
    {.word = "wireframe",
     .arguments = Arguments::Choice,
     .choices = {"off", "on"},
     .usage = "wireframe on|off",
     .meaning = "\"Wireframe\"",
     .control = kWireframe,
     .command = wireframeCommand},
    {.word = "part",
     .arguments = Arguments::PartNumber,
     .usage = "part 0|1|2|3",
     .meaning = "\"Parts:\"",
     .control = kParts},
    {.word = "mode",
     .arguments = Arguments::Choice,
     .choices = {"camera", "lasso"},
     .usage = "mode camera|lasso",
     .meaning = "\"Mode\"",
     .control = kEditMode},
    {.word = "push",
     .usage = "push",
     .meaning = "\"Push\"",
     .control = kPush,
     .command = pushCommand},
    {.word = "back",
     .usage = "back",
     .meaning = "\"Back\"",
     .control = kBack,
     .command = backCommand},
    {.word = "preview",
     .usage = "preview",
     .meaning = "\"Preview\"",
     .control = kPreview,
     .command = previewCommand},
    {.word = "compression",
     .arguments = Arguments::Number,
     .usage = "compression V",
     .meaning = "the compression spinner (clamped to -1 .. 1 as the spinner clamps)",
     .control = kCompression,
     .command = compressionCommand},
    {.word = "export",
     .usage = "export",
     .meaning = "\"Export\"",
     .control = kExport,
     .command = keepingStatus<exportCommand>},
    {.word = "export-solid",
     .arguments = Arguments::Scale,
     .usage = "export-solid [SCALE [TOLERANCE]]",
     .meaning = "\"Export Solid\", sampled at SCALE (1 to 4, default 2) times the window's "
                "size, its front within TOLERANCE (model units; default a thousandth of the "
                "depth range, 0 one vertex per sample)",
     .control = kExportSolid,
     .command = keepingStatus<exportSolidCommand>},
    {.word = "triangulate",
     .usage = "triangulate",
     .meaning = "\"Triangulate Faces\"",
     .control = kTriangulate,
     .command = keepingStatus<triangulateCommand>},
    {.word = "quit",
     .usage = "quit",
     .meaning = "\"Quit\" (the program ends with status -1)",
     .control = kQuit},
    {.word = "key",
     .arguments = Arguments::Key,
     .usage = "key K",
     .meaning = "a key in the 3-D window: one character, or esc",
     .scripted = scriptedKey},
    {.word = "press",
     .arguments = Arguments::Press,
     .usage = "press BUTTON X Y [shift]",
     .meaning = "press left, middle or right (with Shift held)",
     .scripted = scriptedPress},
    {.word = "move",
     .arguments = Arguments::Point,
     .usage = "move X Y",
     .meaning = "motion with the button held",
     .scripted = scriptedMove},
    {.word = "release",
     .arguments = Arguments::Release,
     .usage = "release BUTTON X Y",
     .meaning = "release the button",
     .scripted = scriptedRelease},
    {.word = "drag",
     .arguments = Arguments::Drag,
     .usage = "drag BUTTON X1 Y1 ... Xn Yn",
     .meaning = "press at the first point, move through the rest, release at the last",
     .scripted = scriptedDrag},
    {.word = "wheel",
     .arguments = Arguments::Choice,
     .choices = {"up", "down"},
     .usage = "wheel up|down",
     .meaning = "one notch of the mouse wheel at the last pointer position",
     .scripted = scriptedWheel},
    {.word = "camera",
     .arguments = Arguments::Pose,
     .usage = "camera QX QY QZ QW TX TY TZ [FOV]",
     .meaning = "set the view's rotation quaternion, translation (and field of view)",
     .scripted = scriptedCamera},
    {.word = "screenshot",
     .arguments = Arguments::Path,
     .usage = "screenshot PATH",
     .meaning = "save the 3-D window as shown; the format follows the extension",
     .scripted = scriptedScreenshot},
};

} // namespace

std::span<const Command> commandTable() {
    return kCommands;
}

const Command* findCommand(std::string_view word) {
    for (const Command& c : kCommands)
        if (c.word == word)
            return &c;
    return nullptr;
}
