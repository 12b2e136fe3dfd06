// hollowvista: the GUI, or with --batch a session script run with no display.

#include "app/command_line.h"
#include "app/program.h"
#include "app/session_script.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (wantsHelp(args)) {
        std::cout << usageText();
        return 0;
    }
    if (wantsBatch(args)) {
        const CommandLine line = parseCommandLine(args);
        if (!line.error.empty()) {
            std::cerr << "hollowvista: " << line.error << "\n" << usageText();
            return 2;
        }
        return runBatch(line.script, line.files);
    }
    // glutInit ends the process when it cannot open a display: check first.
    if (!displayAvailable(argc, argv)) {
        std::cerr << "hollowvista: no display to open the windows on; run a session script "
                     "with --batch SCRIPT instead (see --help)"
                  << std::endl;
        return 1;
    }
    return runGui(argc, argv);
}
