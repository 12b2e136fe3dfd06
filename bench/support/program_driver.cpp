#include "bench/support/program_driver.h"

#include "app/camera.h"
#include "app/commands.h"
#include "app/display.h"
#include "app/file_chooser.h"
#include "app/part_commands.h"
#include "app/startup.h"
#include "app/stroke.h"
#include "mesh/texture.h"
#include "platform/graphics_init.h"
#include "platform/offscreen_context.h"
#include "platform/offscreen_window_system.h"
#include "tests/app/immediate_reference.h"

#include <GL/gl.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iostream>

QuietOutput::QuietOutput(std::ostream& stream) : stream_(stream), saved_(stream.rdbuf(nullptr)) {}
QuietOutput::~QuietOutput() {
    stream_.rdbuf(saved_); // also clears the failure that the dropped writes left
}

namespace {

std::uint64_t statusBytes(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key + ":", 0) == 0)
            return std::stoull(line.substr(key.size() + 1)) * 1024;
    return 0;
}

} // namespace

const std::filesystem::path& startProgram() {
    static const std::filesystem::path scratch = [] {
        auto path =
            std::filesystem::temp_directory_path() / ("hv-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(path / "data");
        std::filesystem::current_path(path);
        auto* context = new OffscreenContext; // lives to the end, as the window would
        if (!context->create(kProgramWidth, kProgramHeight))
            std::abort();
        setWindowSystem(std::make_unique<OffscreenWindowSystem>(*context));
        initGraphicsState(true);
        installTextureDeleter();
        initApplicationState();
        reshapeWindow(kProgramWidth, kProgramHeight);
        return path;
    }();
    return scratch;
}

void removeScratch() {
    std::error_code ignored;
    std::filesystem::current_path("/", ignored);
    std::filesystem::remove_all(startProgram(), ignored);
}

void runCommand(ControlId id) {
    QuietOutput quiet;
    dispatchCommand(id);
}

void openFile(ControlId id, const std::string& path) {
    scriptedFileChoice = path;
    runCommand(id);
}

void lasso(int part, int x0, int y0, int x1, int y1) {
    currentPart = part;
    lassoPolygon = {toOverlayPoint(x0, y0), toOverlayPoint(x1, y0), toOverlayPoint(x1, y1),
                    toOverlayPoint(x0, y1)};
    QuietOutput quiet;
    applyLassoCommand();
}

void frame(bool immediateMode) {
    if (!immediateMode) {
        renderScene();
        glFinish();
        return;
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    applyProjection();
    glDisable(GL_LIGHTING);
    glColor3f(1, 1, 1);
    windowSystem().wireCube(10.0);
    glEnable(GL_LIGHTING);
    glColor3f(1, 1, 1);
    immediate::draw(shownModel == 0 ? inputMesh : outputMesh, shownModel != 0);
    glFinish();
}

std::uint64_t residentBytes() {
    return statusBytes("VmRSS");
}

std::uint64_t peakResidentBytes() {
    return statusBytes("VmHWM");
}

void resetPeakMemory() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}
