#include "script/session_runner.h"

#include "app/app_state.h"
#include "app/commands.h"
#include "app/display.h"
#include "app/file_chooser.h"
#include "app/panel.h"
#include "app/program.h"

#include <fstream>
#include <iostream>
#include <sstream>

namespace {

// A panel control as the user works it: the live variable takes the new value (a spinner
// clamps it) or the file dialog gets its answer, then the control's callback runs.
std::string workControl(const Command& command, const CommandArgs& args) {
    const std::vector<PanelControl>& rows = panelControls();
    for (const PanelControl& control : rows) {
        if (control.id != command.control)
            continue;
        switch (command.arguments) {
        case Arguments::OptionalPath:
            scriptedFileChoice = args.path;
            break;
        case Arguments::Number:
            setControlValue(control, args.number);
            break;
        case Arguments::Scale:
            solidScale = args.value;
            break;
        case Arguments::Choice:
        case Arguments::PartNumber:
            setControlValue(control, static_cast<float>(args.value));
            break;
        default:
            break;
        }
        runControlCallback(control);
        return {};
    }
    return "the panel has no such control";
}

std::string run(const ScriptCommand& c) {
    if (c.command->control)
        return workControl(*c.command, c.args);
    return c.command->scripted(c.args);
}

} // namespace

int runSessionCommands(const std::vector<ScriptCommand>& commands) {
    for (const ScriptCommand& command : commands) {
        const std::string problem = run(command);
        if (!problem.empty()) {
            std::cout.flush();
            std::cerr << "script:" << command.line << ": " << problem << std::endl;
            return 2;
        }
        idleRedraw();
        std::cout.flush(); // a log written to a file shows each command's lines when they happen
    }
    return 0;
}

int runBatch(const std::string& scriptPath, const std::vector<std::string>& files) {
    std::ifstream in(scriptPath, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    if (!in) {
        std::cerr << "hollowvista: cannot read the script \"" << scriptPath << "\"" << std::endl;
        return 2;
    }
    const ParsedScript script = parseSessionScript(text.str());
    if (script.error) {
        std::cerr << "script:" << script.error->line << ": " << script.error->reason << std::endl;
        return 2;
    }
    if (!startOffscreenProgram())
        return 1;
    printPanelVersion();
    reshapeWindow(windowWidth, windowHeight); // as GLUT does before the first frame
    // A session written for a model would run on without it: stop before the script.
    const std::string notOpened = openStartupFiles(files);
    if (!notOpened.empty()) {
        std::cerr << "hollowvista: " << notOpened << std::endl;
        return 2;
    }
    idleRedraw();
    return runSessionCommands(script.commands);
}
