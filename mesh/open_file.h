// Opening files for reading, shared by the file lookup and the OBJ reader.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Opens path for reading with C stdio mode "r", unbuffered (callers read in large blocks).
// Returns null when it does not open or names a folder (which opens on some systems but
// cannot be read).
File openForReading(const std::string& path);
