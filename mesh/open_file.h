// Opening files for reading, shared by the file lookup and the OBJ reader.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Opens path for reading with C stdio mode "r", unbuffered (callers read in large blocks).
// Returns null when it does not open or is not a regular file (a folder, a FIFO, a device):
// it never waits for a FIFO's writer.
File openForReading(const std::string& path);

// True when path names a regular file (following links).
bool isRegularFile(const std::string& path);

// The size of the open regular file, or 0 when it cannot be told.
std::size_t fileBytes(std::FILE* file);
