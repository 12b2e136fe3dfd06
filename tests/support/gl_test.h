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

// Third-party models from Debian's assimp-testmodels, an optional package: every test that
// reads them starts with SKIP_WITHOUT_ASSIMP_MODELS() and so skips alike where it is missing.
inline const std::string kAssimpModels = "/usr/share/assimp/models/OBJ/";
#define SKIP_WITHOUT_ASSIMP_MODELS()                                                               \
    if (!std::filesystem::is_directory(kAssimpModels))                                            \
    GTEST_SKIP() << "assimp-testmodels is not installed (" << kAssimpModels << ")"
