#include "tests/fuzz/session_run.h"

#include "app/app_state.h"
#include "app/display.h"
#include "app/program.h"
#include "script/session_runner.h"
#include "script/session_script.h"
#include "tests/support/app_reset.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string_view>

#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::literals;

namespace {

// The scratch folder's seeds: models of triangles, quads, a 6-gon, texture coordinates and
// normals, one naming its image through its material, and images good and bad.
const std::pair<const char*, std::string_view> kSeeds[] = {
    {"quads.obj", "v 0 0 0\nv 10 0 0\nv 10 10 0\nv 0 10 0\nv 20 0 -5\nv 20 10 -5\n"
                  "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nf 1/1 2/2 3/3 4/4\nf 2/1 5/2 6/3 3/4\n"sv},
    {"cube.obj", "mtllib cube.mtl\nusemtl skin\nv -5 -5 -5\nv 5 -5 -5\nv 5 5 -5\nv -5 5 -5\n"
                 "v -5 -5 5\nv 5 -5 5\nv 5 5 5\nv -5 5 5\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
                 "vn 0 0 1\nf 1/1/1 2/2/1 3/3/1 4/4/1\nf 5/1/1 8/2/1 7/3/1 6/4/1\n"
                 "f 1/1/1 5/2/1 6/3/1 2/4/1\nf 2/1/1 6/2/1 7/3/1 3/4/1\nf 3/1/1 7/2/1 8/3/1\n"
                 "f 4/1/1 8/2/1 5/3/1 1/4/1\nf 3/1/1 8/3/1 4/4/1\n"sv},
    {"cube.mtl", "newmtl skin\nKd 1 1 1\nmap_Kd skin.ppm\n"sv},
    {"fan.obj", "v 0 0 0\nv 8 0 1\nv 10 6 2\nv 5 11 3\nv -2 8 2\nv -3 2 1\nv 4 4 12\n"
                "f 1 2 3 4 5 6\nf 1 2 7\nf 2 3 7\nf 3 4 7\nf 4 5 7\nf 5 6 7\nf 6 1 7\nf 1 1 2\n"sv},
    {"skin.ppm", "P6 2 2 255\n\xff\0\0\0\xff\0\0\0\xff\xff\xff\xff"sv},
    {"bad.png", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x02"sv},
};
constexpr const char* kModels[] = {"quads.obj", "cube.obj", "fan.obj"};
constexpr const char* kImages[] = {"skin.ppm", "bad.png"};
constexpr const char* kShots[] = {"shot.png", "shot.bmp"};

std::set<std::string> scratchNames() {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(fs::current_path()))
        names.insert(entry.path().filename().string());
    return names;
}

std::set<std::string> expectedNames;
fs::path scratchFolder;

void removeScratch() {
    std::error_code ignored;
    fs::remove_all(scratchFolder, ignored);
}

std::size_t hashOf(const std::string& text) {
    return std::hash<std::string>{}(text);
}

// Points a command at the scratch folder and keeps it small; false for one to leave out.
bool tame(ScriptCommand& c) {
    const std::string_view word = c.command->word;
    CommandArgs& a = c.args;
    if (word == "quit" || (word == "key" && (a.value == 'q' || a.value == 27)))
        return false;
    if (word == "open-mesh" && !a.path.empty())
        a.path = kModels[hashOf(a.path) % 3];
    if (word == "open-texture" && !a.path.empty())
        a.path = kImages[hashOf(a.path) % 2];
    if (word == "screenshot")
        a.path = kShots[hashOf(a.path) % 2];
    if (word == "window" && a.points.size() == 2) {
        a.points[0] %= 97;
        a.points[1] %= 73;
    }
    if (word == "export-solid")
        a.value = std::min(a.value, 2);
    return true;
}

bool finite(const std::string& word) {
    char* end = nullptr;
    const double value = std::strtod(word.c_str(), &end);
    return end && *end == '\0' && std::isfinite(value);
}

// "" when every line of the OBJ text is a comment, a material line, a vertex record of finite
// numbers or a face whose indices name written records.
std::string objFault(const std::string& path) {
    std::ifstream in(path);
    std::size_t counts[3] = {0, 0, 0}; // v, vt, vn
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string key;
        if (!(words >> key) || key[0] == '#' || key == "mtllib" || key == "usemtl")
            continue;
        const int kind = key == "v" ? 0 : key == "vt" ? 1 : key == "vn" ? 2 : key == "f" ? 3 : -1;
        if (kind < 0)
            return path + ": unknown line \"" + line + "\"";
        int fields = 0;
        for (std::string word; words >> word; ++fields) {
            if (kind < 3) {
                if (!finite(word))
                    return path + ": not a finite number in \"" + line + "\"";
                continue;
            }
            std::istringstream corner(word);
            std::string index;
            for (int slot = 0; std::getline(corner, index, '/'); ++slot) {
                if (index.empty() && slot > 0)
                    continue;
                const long n = std::strtol(index.c_str(), nullptr, 10);
                if (slot > 2 || n < 1 || std::size_t(n) > counts[slot])
                    return path + ": a corner names no record in \"" + line + "\"";
            }
        }
        if (kind < 3)
            ++counts[kind];
        if (kind == 3 && fields < 1)
            return path + ": an empty face";
    }
    return "";
}

std::string stlFault(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    if (bytes.size() < 84)
        return path + ": shorter than its header";
    std::uint32_t count = 0;
    std::memcpy(&count, bytes.data() + 80, 4);
    if (bytes.size() != 84 + std::size_t(count) * 50)
        return path + ": its size does not match its triangle count";
    for (std::size_t t = 0; t < count; ++t)
        for (int k = 0; k < 12; ++k) {
            float value = 0;
            std::memcpy(&value, bytes.data() + 84 + t * 50 + k * 4, 4);
            if (!std::isfinite(value))
                return path + ": a number that is not finite";
        }
    return "";
}

} // namespace

bool startSessionRuns() {
    static bool started = false;
    if (started)
        return true;
    scratchFolder = fs::temp_directory_path() / ("hollowvista-fuzz-" + std::to_string(getpid()));
    fs::create_directories(scratchFolder);
    std::atexit(removeScratch);
    for (const auto& [name, text] : kSeeds)
        std::ofstream(scratchFolder / name, std::ios::binary) << text;
    if (!startOffscreenProgram())
        return false;
    const fs::path home = fs::current_path();
    fs::current_path(scratchFolder);
    expectedNames = scratchNames();
    fs::current_path(home);
    expectedNames.insert({"data", "shot.png", "shot.bmp"});
    started = true;
    return true;
}

std::string runSessionInput(const std::uint8_t* data, std::size_t size) {
    // Each run in the scratch folder; the caller's working directory (libFuzzer resolves its
    // corpus folders against it) is put back afterwards.
    const fs::path home = fs::current_path();
    fs::current_path(scratchFolder);
    ParsedScript script =
        parseSessionScript(std::string_view(reinterpret_cast<const char*>(data), size));
    std::vector<ScriptCommand> commands =
        parseSessionScript("window 64 48\nopen-mesh quads.obj\n").commands;
    for (ScriptCommand& c : script.commands)
        if (tame(c))
            commands.push_back(c);
    resetApplicationState();
    reshapeWindow(windowWidth, windowHeight);
    runSessionCommands(commands);

    std::string fault;
    for (const std::string& name : scratchNames())
        if (!expectedNames.count(name))
            fault = "a file outside data/ was made: " + name;
    for (const char* name : {"export.obj", "remesh.obj", "export_solid.obj"})
        if (fault.empty() && fs::exists(fs::path("data") / name))
            fault = objFault((fs::path("data") / name).string());
    if (fault.empty() && fs::exists("data/export_solid.stl"))
        fault = stlFault("data/export_solid.stl");
    std::error_code ignored;
    fs::remove_all("data", ignored);
    fs::current_path(home);
    return fault;
}
