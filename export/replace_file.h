// Replacing a file without ever leaving a half-written one in its place.
#pragma once

#include <functional>
#include <string>

// Creates path's folder when missing, runs write(tempPath) to produce the new content in a
// temporary file beside path, and renames that file over path once write succeeded. write
// returns "" on success or why it failed. Returns "" when path now holds the new content,
// else the reason; path is then untouched and the temporary file removed.
std::string replaceFile(const std::string& path,
                        const std::function<std::string(const std::string& tempPath)>& write);

// The text of errno as strerror gives it.
std::string errnoText();
