#include "script/session_runner.h"

#include "app/app_state.h"
#include "app/commands.h"
#include "app/display.h"
#include "app/file_chooser.h"
#include "app/panel.h"
#include "app/program.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>

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
        case Arguments::Path:
            scriptedFileChoice = args.path;
            break;
        case Arguments::Number:
            setControlValue(control, args.number);
            break;
        case Arguments::Scale:
            solidScale = args.value;
            solidTolerance = args.number;
            break;
        case Arguments::Choice:
        case Arguments::PartNumber:
            setControlValue(control, static_cast<float>(args.value));
            break;
        default:
            break;
        }
        commandFailed = false;
        runControlCallback(control);
        return commandFailed ? std::string(command.word) + " could not write its files"
                             : std::string();
    }
    return "the panel has no such control";
}

std::string run(const ScriptCommand& c) {
    if (c.command->control)
        return workControl(*c.command, c.args);
    return c.command->scripted(c.args);
}

} // namespace

std::string readScriptFile(const std::string& path, std::string& text) {
    const std::string quoted = "the script \"" + path + "\"";
    // Opened without blocking and checked first: a FIFO, a device or a folder named as the
    // script is refused instead of waited on, read for ever or taken as an empty script.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return "cannot read " + quoted;
    struct stat info {};
    std::string problem;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        problem = quoted + " is not a regular file";
    else if (static_cast<unsigned long long>(info.st_size) > kMaxScriptBytes)
        problem = quoted + " is larger than " + std::to_string(kMaxScriptBytes >> 20) + " MiB";
    text.clear();
    char block[1 << 16];
    while (problem.empty()) {
        const ssize_t n = read(fd, block, sizeof block);
        if (n == 0)
            break;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            problem = "cannot read " + quoted;
        else if (text.size() + std::size_t(n) > kMaxScriptBytes)
            problem = quoted + " is larger than " + std::to_string(kMaxScriptBytes >> 20) + " MiB";
        else
            text.append(block, std::size_t(n));
    }
    close(fd);
    return problem;
}

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
    std::string text;
    const std::string problem = readScriptFile(scriptPath, text);
    if (!problem.empty()) {
        std::cerr << "hollowvista: " << problem << std::endl;
        return 2;
    }
    const ParsedScript script = parseSessionScript(text);
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
