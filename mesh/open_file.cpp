#include "mesh/open_file.h"

#include <sys/stat.h>

File openForReading(const std::string& path) {
    File file(std::fopen(path.c_str(), "r"));
    if (!file)
        return file;
    struct stat info {};
    if (fstat(fileno(file.get()), &info) == 0 && S_ISDIR(info.st_mode))
        return nullptr;
    std::setvbuf(file.get(), nullptr, _IONBF, 0);
    return file;
}
