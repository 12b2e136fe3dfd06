// hollowvista: the GUI, or with --batch a session script run with no display.

#include "app/app_state.h"
#include "app/program.h"
#include "script/command_line.h"
#include "script/session_runner.h"
#include "script/session_script.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

int badCommandLine(const std::string& why) {
    std::cerr << "hollowvista: " << why << "\n" << usageText();
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (wantsHelp(args)) {
        std::cout << usageText();
        return 0;
    }
    if (wantsBatch(args)) {
        const CommandLine line = parseCommandLine(args);
        if (!line.error.empty())
            return badCommandLine(line.error);
        quietTraces = line.quiet;
        return runBatch(line.script, line.files);
    }
    // glutInit ends the process when it cannot open a display: check first.
    if (!displayAvailable(argc, argv)) {
        std::cerr << "hollowvista: no display to open the windows on; run a session script "
                     "with --batch SCRIPT instead (see --help)"
                  << std::endl;
        return 1;
    }
    initGlut(argc, argv);
    const CommandLine line = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!line.error.empty())
        return badCommandLine(line.error);
    quietTraces = line.quiet;
    runGui(line.files);
}
