// A long random session: COUNT session-script commands drawn with a fixed seed (open, lasso,
// Shift+click, preview, push, back, compression, view, wireframe, window size, export,
// triangulate, keys, camera, screenshots) run one by one through the batch runner on the
// offscreen window, in the current directory (whose folder data receives the files). After
// every export and triangulation the written files are checked: no "nan" or "inf", the model
// reads back with as many faces as it has face lines, the image has the window's size.
//
//   soak_session SEED COUNT MODEL TEXTURE          run the session, summary on standard error
//   soak_session --print SEED COUNT MODEL TEXTURE  print the script instead (for --batch)
//
// COUNT is the number of script lines (a Shift+click is a press and a release line). Exits
// with 1 at the first file that fails its check (its line is named), with 0 after the whole
// session. Run under AddressSanitizer, the process end also checks for leaks.
#include "app/app_state.h"
#include "app/display.h"
#include "app/graphics_init.h"
#include "app/offscreen_context.h"
#include "app/offscreen_window_system.h"
#include "app/program.h"
#include "app/session_runner.h"
#include "app/session_script.h"
#include "app/startup.h"
#include "mesh/simple_mesh.h"
#include "mesh/texture.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

// splitmix64: the same seed gives the same session on every platform.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % std::uint64_t(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    bool chance(int percent) { return below(100) < percent; }

  private:
    std::uint64_t state_;
};

struct Window {
    int width = 640, height = 480;
};

// A point in or a little outside the window (handlers clamp what lies outside).
std::string point(Random& r, const Window& w) {
    return std::to_string(r.between(-20, w.width + 20)) + " " +
           std::to_string(r.between(-20, w.height + 20));
}

std::string lassoLine(Random& r, const Window& w) {
    std::string line = "drag " + std::string(r.chance(80) ? "left" : "right");
    const std::string first = point(r, w);
    line += " " + first;
    for (int n = r.between(0, 12); n > 0; --n)
        line += " " + point(r, w);
    return line + " " + first;
}

std::string decimal(Random& r, double low, double high) {
    const double value = low + (high - low) * double(r.below(10001)) / 10000;
    std::ostringstream text;
    text << value;
    return text.str();
}

// One command line; the window size it may set is tracked in w.
std::string command(Random& r, Window& w, const std::string& model, const std::string& texture) {
    static const Window sizes[] = {{640, 480}, {320, 240}, {160, 120}, {64, 48},
                                   {1, 1},     {3, 200},   {200, 3},   {97, 61}};
    switch (r.below(24)) {
    case 0:
        if (r.chance(70))
            return "open-mesh " + model;
        return r.chance(50) ? "open-mesh" : "open-mesh no-such-model.obj";
    case 1:
        return r.chance(80) ? "open-texture " + texture : "open-texture";
    case 2: {
        if (r.chance(10))
            return "window " + std::to_string(w.width) + " 0"; // minimised
        w = sizes[r.below(8)];
        return "window " + std::to_string(w.width) + " " + std::to_string(w.height);
    }
    case 3:
        return "set-up-camera";
    case 4:
        return r.chance(50) ? "view input" : "view output";
    case 5:
        return r.chance(50) ? "back-face on" : "back-face off";
    case 6:
        return r.chance(70) ? "wireframe off" : "wireframe on";
    case 7:
        return "part " + std::to_string(r.below(4));
    case 8:
        return r.chance(50) ? "mode camera" : "mode lasso";
    case 9:
    case 10:
        return lassoLine(r, w);
    case 11:
        return r.chance(50) ? "push" : "back";
    case 12:
    case 13:
        return "preview";
    case 14:
        return "compression " + decimal(r, -2, 2);
    case 15:
    case 16:
        return "export";
    case 17:
        return "triangulate";
    case 18: {
        static const char keys[] = {'c', 'd', 'g', 'r', 's', 'x'};
        return std::string("key ") + keys[r.below(6)];
    }
    case 19: {
        const std::string at = point(r, w);
        return "press left " + at + " shift\nrelease left " + at;
    }
    case 20: {
        static const char* buttons[] = {"left", "middle", "right"};
        const char* button = buttons[r.below(3)];
        return std::string("press ") + button + " " + point(r, w) + "\nmove " + point(r, w) +
               "\nrelease " + button + " " + point(r, w);
    }
    case 21: // a view around the start-up one, where the model is in sight
        return "camera " + decimal(r, -0.4, 0.1) + " " + decimal(r, -0.1, 0.4) + " " +
               decimal(r, -0.1, 0.1) + " " + decimal(r, 0.9, 1) + " " + decimal(r, -10, 10) + " " +
               decimal(r, -10, 10) + " " + decimal(r, -150, -60) + " " +
               std::to_string(r.between(20, 60));
    case 22:
        return "screenshot data/soak.png";
    default:
        return r.chance(50) ? "drag left " + point(r, w) + " " + point(r, w)
                            : "drag middle " + point(r, w) + " " + point(r, w);
    }
}

std::string sessionScript(std::uint64_t seed, int count, const std::string& model,
                          const std::string& texture) {
    Random r(seed);
    Window w;
    std::string script = "open-mesh " + model + "\nopen-texture " + texture + "\n";
    for (int lines = 2; lines < count;) {
        const std::string next = command(r, w, model, texture) + "\n";
        script += next;
        lines += int(std::count(next.begin(), next.end(), '\n'));
    }
    return script;
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::size_t faceLines(const std::string& text) {
    std::size_t count = text.starts_with("f ") ? 1 : 0;
    for (std::size_t at = text.find("\nf "); at != std::string::npos;
         at = text.find("\nf ", at + 1))
        ++count;
    return count;
}

// "" when the OBJ file at path holds only finite numbers and reads back with all its faces.
std::string checkModelFile(const std::string& path) {
    if (!std::filesystem::is_regular_file(path))
        return path + " was not written";
    const std::string text = fileText(path);
    if (text.find("nan") != std::string::npos || text.find("inf") != std::string::npos)
        return path + " holds a non-finite number";
    const std::size_t faces = faceLines(text);
    if (faces == 0)
        return "";
    SimpleMesh back;
    std::ostringstream swallowed;
    std::streambuf* err = std::cerr.rdbuf(swallowed.rdbuf());
    const bool loaded = back.load(path, {});
    std::cerr.rdbuf(err);
    if (!loaded)
        return path + " does not read back: " + swallowed.str();
    if (back.faces.size() != faces)
        return path + " reads back with " + std::to_string(back.faces.size()) + " faces of " +
               std::to_string(faces);
    return "";
}

// "" when the BMP at path is width x height pixels.
std::string checkImageFile(const std::string& path, int width, int height) {
    if (!std::filesystem::is_regular_file(path))
        return path + " was not written";
    const std::string bmp = fileText(path);
    auto word = [&](std::size_t at) {
        return int(std::uint8_t(bmp[at]) | std::uint8_t(bmp[at + 1]) << 8 |
                   std::uint8_t(bmp[at + 2]) << 16 | std::uint8_t(bmp[at + 3]) << 24);
    };
    if (bmp.size() < 54 || bmp.compare(0, 2, "BM") != 0)
        return path + " is no BMP";
    if (word(18) != width || word(22) != height)
        return path + " is " + std::to_string(word(18)) + "x" + std::to_string(word(22)) +
               ", the window " + std::to_string(width) + "x" + std::to_string(height);
    return "";
}

int runSoak(const std::vector<ScriptCommand>& commands) {
    const std::optional<OffscreenProgram> program = startOffscreenProgram();
    if (!program)
        return 1;
    OffscreenContext* context = program->context;
    OffscreenWindowSystem& offscreen = *program->windows;
    reshapeWindow(windowWidth, windowHeight);
    idleRedraw();

    int exports = 0, triangulations = 0, failedCommands = 0;
    for (const ScriptCommand& c : commands) {
        // The files a command writes are removed first, so that what is checked afterwards
        // is what that command wrote.
        std::error_code ignored;
        if (c.op == ScriptOp::Export || c.op == ScriptOp::Triangulate)
            for (const char* file : {"data/export.obj", "data/export.bmp", "data/remesh.obj"})
                std::filesystem::remove(file, ignored);
        if (runSessionCommands({c}, *context, offscreen) != 0)
            ++failedCommands;
        std::string why;
        if (c.op == ScriptOp::Export) {
            ++exports;
            why = checkModelFile("data/export.obj");
            if (why.empty())
                why = checkImageFile("data/export.bmp", windowWidth, windowHeight);
        } else if (c.op == ScriptOp::Triangulate) {
            ++triangulations;
            why = checkModelFile("data/remesh.obj");
        }
        if (!why.empty()) {
            std::cerr << "soak_session: line " << c.line << ": " << why << std::endl;
            return 1;
        }
    }
    std::cerr << "soak_session: " << commands.size() << " commands, " << exports << " exports and "
              << triangulations << " triangulations read back, " << failedCommands
              << " commands refused" << std::endl;
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const bool print = !args.empty() && args[0] == "--print";
    if (print)
        args.erase(args.begin());
    if (args.size() != 4) {
        std::cerr << "usage: soak_session [--print] SEED COUNT MODEL TEXTURE\n";
        return 2;
    }
    const std::string script =
        sessionScript(std::stoull(args[0]), std::stoi(args[1]), args[2], args[3]);
    if (print) {
        std::cout << script;
        return 0;
    }
    const ParsedScript parsed = parseSessionScript(script);
    if (parsed.error) {
        std::cerr << "soak_session: script:" << parsed.error->line << ": " << parsed.error->reason
                  << std::endl;
        return 2;
    }
    return runSoak(parsed.commands);
}
