#include "mesh/open_file.h"
#include "mesh/simple_mesh.h"

#include <cstdio>

std::string findFile(const std::string& name, const std::vector<std::string>& searchDirs) {
    for (const std::string& dir : searchDirs) {
        const std::string path = dir + "/" + name;
        if (openForReading(path))
            return path;
    }
    if (openForReading(name))
        return name;
    std::printf("file not found: %s\n", name.c_str());
    std::fflush(stdout);
    return "";
}
