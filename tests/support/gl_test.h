// Helpers shared by the tests: an offscreen OpenGL context set up as the program sets up its
// window, temporary folders, and file reading.
#pragma once

#include <filesystem>
#include <string>

class OffscreenContext;

// The process's one offscreen context, created on first use with the program's start-up
// OpenGL state and resized to width x height (viewport left to the caller).
OffscreenContext& testContext(int width = 640, int height = 480);

// A fresh empty folder under the system's temporary folder, removed with the object.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& text);
// Path of a file of the source tree (tests/data/..., Mesh/...).
std::string sourcePath(const std::string& relative);
