#include "platform/replace_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace {

std::string temporaryPath(const std::string& path) {
    return path + ".tmp";
}

// Makes the folder of path when it is missing; returns "" or why it cannot be made.
std::string makeFolder(const std::string& path) {
    const fs::path target(path);
    std::error_code error;
    if (target.has_parent_path() && !fs::is_directory(target.parent_path(), error)) {
        fs::create_directories(target.parent_path(), error);
        if (error)
            return error.message();
    }
    return "";
}

// Removes a leftover of an interrupted run: opening a FIFO of that name to write would wait
// for a reader forever. A folder in the way is left for the write to report.
void removeStale(const std::string& temp) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(temp, error);
    if (!error && fs::exists(status) && !fs::is_directory(status))
        fs::remove(temp, error);
}

void removeTemporary(const std::string& temp) {
    std::error_code error;
    if (fs::is_regular_file(fs::symlink_status(temp, error)))
        fs::remove(temp, error);
}

} // namespace

std::string errnoText() {
    return std::strerror(errno);
}

std::string writeFileThrough(const std::string& tempPath,
                             const std::function<bool(const ByteSink&)>& produce) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(tempPath.c_str(), "wb"),
                                                         &std::fclose);
    if (!file)
        return errnoText();
    std::string why;
    bool written = produce([&](std::string_view block) {
        if (std::fwrite(block.data(), 1, block.size(), file.get()) == block.size())
            return true;
        why = errnoText();
        return false;
    });
    if (std::fclose(file.release()) != 0 && written) {
        written = false;
        why = errnoText();
    }
    return written ? "" : (why.empty() ? "write error" : why);
}

std::string replaceFiles(const std::vector<PendingFile>& files, std::string& failedPath) {
    std::string why;
    std::size_t written = 0;
    for (; written < files.size() && why.empty(); ++written) {
        const PendingFile& file = files[written];
        failedPath = file.path;
        why = makeFolder(file.path);
        if (why.empty()) {
            removeStale(temporaryPath(file.path));
            why = file.write(temporaryPath(file.path));
        }
    }
    for (std::size_t i = 0; i < files.size() && why.empty(); ++i) {
        failedPath = files[i].path;
        if (std::rename(temporaryPath(files[i].path).c_str(), files[i].path.c_str()) != 0)
            why = errnoText();
    }
    if (why.empty()) {
        failedPath.clear();
        return "";
    }
    for (std::size_t i = 0; i < written; ++i)
        removeTemporary(temporaryPath(files[i].path));
    return why;
}

std::string replaceFile(const std::string& path, const FileWrite& write) {
    std::string failedPath;
    return replaceFiles({{path, write}}, failedPath);
}
