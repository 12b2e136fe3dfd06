#include "mesh/open_file.h"
#include "mesh/simple_mesh.h"

#include <cstdio>
#include <filesystem>
#include <iostream>

namespace {

// True when path opens; otherwise remembers in skipped the first path that exists but is
// not a regular file (a folder, FIFO or device), which is never read.
bool opens(const std::string& path, std::string& skipped) {
    if (openForReading(path))
        return true;
    std::error_code error;
    if (skipped.empty() && std::filesystem::exists(path, error) && !isRegularFile(path))
        skipped = path;
    return false;
}

} // namespace

std::string findFile(const std::string& name, const std::vector<std::string>& searchDirs) {
    std::string skipped;
    // "/x/m.obj" tried as ".//x/m.obj" could open a different file below the working folder.
    if (!name.starts_with('/'))
        for (const std::string& dir : searchDirs) {
            const std::string path = dir + "/" + name;
            if (opens(path, skipped))
                return path;
        }
    if (opens(name, skipped))
        return name;
    std::printf("file not found: %s\n", name.c_str());
    std::fflush(stdout);
    if (!name.empty() && !skipped.empty())
        std::cerr << "findFile: not a regular file: " << skipped << '\n';
    return "";
}
