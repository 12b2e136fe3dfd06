#include "export/replace_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

std::string errnoText() {
    return std::strerror(errno);
}

std::string replaceFile(const std::string& path,
                        const std::function<std::string(const std::string& tempPath)>& write) {
    const fs::path target(path);
    std::error_code error;
    if (target.has_parent_path() && !fs::is_directory(target.parent_path(), error)) {
        fs::create_directories(target.parent_path(), error);
        if (error)
            return error.message();
    }
    const std::string temp = path + ".tmp";
    std::string why = write(temp);
    if (why.empty() && std::rename(temp.c_str(), path.c_str()) != 0)
        why = errnoText();
    if (!why.empty() && fs::is_regular_file(temp, error))
        fs::remove(temp, error);
    return why;
}
