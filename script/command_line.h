// The program's own command-line arguments (GLUT's are left to glutInit).
#pragma once

#include <string>
#include <vector>

struct CommandLine {
    bool help = false;
    bool batch = false;
    bool quiet = false;             // --quiet: no trace lines of the passes
    std::string script;             // --batch SCRIPT
    std::vector<std::string> files; // MODEL.obj [TEXTURE], opened at start
    std::string error;              // why the arguments are not usable; empty when they are
};

// Reads args (without the program name): --help, --batch SCRIPT, --quiet, then at most two
// files.
// Any other word starting with "-" is an error, so call it on what glutInit left over.
CommandLine parseCommandLine(const std::vector<std::string>& args);

// True when args ask for --help or --batch: decided before glutInit, which would end the
// process when there is no display.
bool wantsHelp(const std::vector<std::string>& args);
bool wantsBatch(const std::vector<std::string>& args);
