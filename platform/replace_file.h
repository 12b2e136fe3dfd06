// Replacing files without ever leaving a half-written one in their place.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Produces the new content of a file in the temporary file it is given; returns "" on
// success or why it failed.
using FileWrite = std::function<std::string(const std::string& tempPath)>;

struct PendingFile {
    std::string path;
    FileWrite write;
};

// Creates path's folder when missing, runs write(tempPath) to produce the new content in a
// temporary file beside path, and renames that file over path once write succeeded. Returns
// "" when path now holds the new content, else the reason; path is then untouched and the
// temporary file removed.
std::string replaceFile(const std::string& path, const FileWrite& write);

// replaceFile for files that belong together: every file's new content is written in order,
// and only when all were written are they renamed over their paths, so a failure leaves every
// path as it was. Returns "" or the reason, with failedPath naming the file concerned.
std::string replaceFiles(const std::vector<PendingFile>& files, std::string& failedPath);

// Receives the bytes of a file in order, in blocks; returns false when it could not take one.
using ByteSink = std::function<bool(std::string_view)>;

// Runs produce with a sink that appends to the file tempPath (created, or emptied first).
// Returns "" when produce succeeded and every byte reached the file, else why not.
std::string writeFileThrough(const std::string& tempPath,
                             const std::function<bool(const ByteSink&)>& produce);

// The text of errno as strerror gives it.
std::string errnoText();
