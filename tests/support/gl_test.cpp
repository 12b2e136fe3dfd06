#include "tests/support/gl_test.h"

#include "platform/graphics_init.h"
#include "platform/offscreen_context.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

OffscreenContext& testContext(int width, int height) {
    // Never destroyed, as in a batch run: terminating EGL at exit unloads Mesa's driver, and
    // the memory its globals held would then be reported as leaked.
    static OffscreenContext& context = *new OffscreenContext;
    static bool made = false;
    if (!made) {
        if (!context.create(width, height))
            std::abort();
        initGraphicsState(true);
        made = true;
    } else if (context.width() != width || context.height() != height) {
        context.resize(width, height);
    }
    return context;
}

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("hv-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string sourcePath(const std::string& relative) {
    const char* root = std::getenv("HV_SOURCE_DIR");
    return std::string(root ? root : ".") + "/" + relative;
}
