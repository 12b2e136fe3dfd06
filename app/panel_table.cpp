#include "app/app_state.h"
#include "app/edit_history.h"
#include "app/panel.h"
#include "app/picture_check.h"
#include "app/status_block.h"

#include <algorithm>

namespace {

const std::string kSpacer(37, ' ');

// "Save Session" and "Open Session", below the file buttons of the group file.
template <typename Add> void addSessionButtons(Add& add, int file) {
    add({.kind = ControlKind::Button,
         .label = "Save Session",
         .parent = file,
         .id = kSaveSession,
         .callback = ControlCallback::Dispatch});
    add({.kind = ControlKind::Button,
         .label = "Open Session",
         .parent = file,
         .id = kOpenSession,
         .callback = ControlCallback::Dispatch});
}

std::vector<PanelControl> buildPanel() {
    using K = ControlKind;
    using C = ControlCallback;
    const PanelFrame embossed = PanelFrame::Embossed;
    std::vector<PanelControl> rows;
    auto add = [&rows](PanelControl row) {
        rows.push_back(std::move(row));
        return static_cast<int>(rows.size()) - 1;
    };
    const int file = add({.kind = K::Panel, .label = "File", .frame = embossed});
    add({.kind = K::Button,
         .label = "Open Mesh",
         .parent = file,
         .id = kOpenMesh,
         .callback = C::Dispatch});
    add({.kind = K::Button,
         .label = "Open Texture",
         .parent = file,
         .id = kOpenTexture,
         .callback = C::Dispatch});
    add({.kind = K::StaticText, .label = kSpacer, .parent = file});
    add({.kind = K::Button,
         .label = "Export",
         .parent = file,
         .id = kExport,
         .callback = C::Dispatch});
    add({.kind = K::Button,
         .label = "Export Solid",
         .parent = file,
         .id = kExportSolid,
         .callback = C::Dispatch});
    addSessionButtons(add, file);
    add({.kind = K::StaticText, .label = ""});

    const int view = add({.kind = K::Panel, .label = "View", .frame = embossed});
    const int shown = add({.kind = K::RadioGroup,
                           .parent = view,
                           .id = kShownModel,
                           .callback = C::Dispatch,
                           .intVariable = &shownModel});
    add({.kind = K::RadioButton, .label = " Input Model            ", .parent = shown, .value = 0});
    add({.kind = K::RadioButton, .label = "Output Model            ", .parent = shown, .value = 1});
    add({.kind = K::StaticText, .label = "", .parent = view});
    add({.kind = K::Checkbox,
         .label = "Back Face",
         .parent = view,
         .id = kBackFace,
         .callback = C::Dispatch,
         .intVariable = &backFace});
    add({.kind = K::Checkbox,
         .label = "Wireframe",
         .parent = view,
         .id = kWireframe,
         .callback = C::Dispatch,
         .intVariable = &wireframe});
    add({.kind = K::Checkbox,
         .label = "Show Changes",
         .parent = view,
         .id = kShowChanges,
         .callback = C::Dispatch,
         .intVariable = &showChanges});
    add({.kind = K::Button,
         .label = "Frame Model",
         .parent = view,
         .id = kFrameModel,
         .callback = C::Dispatch});
    add({.kind = K::StaticText, .label = ""});

    const int option = add({.kind = K::Panel, .label = "Option", .frame = embossed});
    add({.kind = K::Button,
         .label = "Triangulate Faces",
         .parent = option,
         .id = kTriangulate,
         .callback = C::Dispatch});
    add({.kind = K::StaticText, .label = kSpacer, .parent = option});
    add({.kind = K::Column});

    const int edit = add({.kind = K::Panel, .label = "Edit", .frame = embossed});
    add({.kind = K::ListBox,
         .label = "Parts:",
         .parent = edit,
         .id = kParts,
         .callback = C::Dispatch,
         .intVariable = &currentPart,
         .items = {{0, "0(deselect)"}, {1, "1"}, {2, "2"}, {3, "3"}}});
    const int mode = add({.kind = K::Panel, .label = "Mode", .parent = edit, .frame = embossed});
    const int modeGroup = add({.kind = K::RadioGroup,
                               .parent = mode,
                               .id = kEditMode,
                               .callback = C::Dispatch,
                               .intVariable = &editMode});
    add({.kind = K::RadioButton, .label = "Camera", .parent = modeGroup, .value = 0});
    add({.kind = K::RadioButton, .label = "Lasso", .parent = modeGroup, .value = 1});
    const int position =
        add({.kind = K::Panel, .label = "Position", .parent = edit, .frame = PanelFrame::Raised});
    add({.kind = K::StaticText, .label = "Position(depth):", .parent = position});
    add({.kind = K::Button,
         .label = "Push",
         .parent = position,
         .id = kPush,
         .callback = C::Dispatch});
    add({.kind = K::Button,
         .label = "Back",
         .parent = position,
         .id = kBack,
         .callback = C::Dispatch});
    add({.kind = K::StaticText, .label = "Compression:", .parent = position});
    add({.kind = K::Spinner,
         .label = "",
         .parent = position,
         .id = kCompression,
         .callback = C::Dispatch,
         .floatVariable = &compressionValue,
         .minimum = -1.0f,
         .maximum = 1.0f});
    add({.kind = K::Button,
         .label = "Set Up a Camera",
         .parent = edit,
         .id = kSetUpCamera,
         .callback = C::Dispatch});
    add({.kind = K::Button,
         .label = "      Preview      ",
         .parent = edit,
         .id = kPreview,
         .callback = C::Dispatch});
    add({.kind = K::Button,
         .label = "Undo",
         .parent = edit,
         .id = kUndo,
         .callback = C::Dispatch,
         .enabled = [] { return !undoStepName().empty(); }});
    add({.kind = K::Button,
         .label = "Redo",
         .parent = edit,
         .id = kRedo,
         .callback = C::Dispatch,
         .enabled = [] { return !redoStepName().empty(); }});
    add({.kind = K::StaticText, .parent = edit, .liveText = pictureKeptText});
    add({.kind = K::StaticText, .label = ""});
    const int status = add({.kind = K::Panel, .label = "Status", .frame = embossed});
    add({.kind = K::StaticText, .parent = status, .liveText = statusText});
    add({.kind = K::StaticText, .label = ""});
    add({.kind = K::Button, .label = "Quit", .id = kQuit, .callback = C::Quit});
    return rows;
}

} // namespace

const std::vector<PanelControl>& panelControls() {
    static const std::vector<PanelControl> rows = buildPanel();
    return rows;
}

bool setControlValue(const PanelControl& control, float value) {
    if (control.floatVariable) {
        *control.floatVariable = std::clamp(value, control.minimum, control.maximum);
        return true;
    }
    if (control.intVariable) {
        *control.intVariable = static_cast<int>(value);
        return true;
    }
    return false;
}

int findControl(ControlKind kind, int id) {
    const auto& rows = panelControls();
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].kind == kind && rows[i].id == id)
            return static_cast<int>(i);
    return -1;
}
