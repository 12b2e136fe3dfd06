#include "mesh/open_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool isRegularFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

File openForReading(const std::string& path) {
    // Opening without waiting: a FIFO would otherwise block until some writer appeared, and
    // a device such as /dev/zero never ends. Only what is a regular file once opened is kept.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        close(fd);
        return nullptr;
    }
    File file(fdopen(fd, "r"));
    if (!file) {
        close(fd);
        return file;
    }
    std::setvbuf(file.get(), nullptr, _IONBF, 0);
    return file;
}

std::size_t fileBytes(std::FILE* file) {
    struct stat info {};
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0)
        return 0;
    return static_cast<std::size_t>(info.st_size);
}
