#include "script/command_line.h"

#include <algorithm>

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    for (std::size_t i = 0; i < args.size() && line.error.empty(); ++i) {
        const std::string& a = args[i];
        if (a == "--help") {
            line.help = true;
        } else if (a == "--quiet") {
            line.quiet = true;
        } else if (a == "--batch") {
            if (i + 1 >= args.size() || line.batch)
                line.error = line.batch ? "--batch given twice" : "--batch needs a SCRIPT";
            else
                line.script = args[++i];
            line.batch = true;
        } else if (a.size() > 1 && a[0] == '-') {
            line.error = "unknown option " + a;
        } else if (line.files.size() == 2) {
            line.error = "at most a model and a texture can be opened at start";
        } else {
            line.files.push_back(a);
        }
    }
    return line;
}

namespace {

// Whether option appears among args as an option, not as the script that follows --batch.
bool hasOption(const std::vector<std::string>& args, const std::string& option) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == option)
            return true;
        if (args[i] == "--batch")
            ++i;
    }
    return false;
}

} // namespace

bool wantsHelp(const std::vector<std::string>& args) {
    return hasOption(args, "--help");
}

bool wantsBatch(const std::vector<std::string>& args) {
    return hasOption(args, "--batch");
}
