// Reading a textured model of about one million triangles in a fresh process each time, as a
// user's first open does (its page faults included, which a warm in-process loop hides):
// SimpleMesh::load beside tinyobjloader and, when the build was given a copy of fast_obj
// (cmake -DHV_FAST_OBJ_DIR=...), fast_obj. Each round starts one process per reader, in turn
// on the same file; each process times its own read and reports its peak resident memory.
#include "bench/support/obj_model_file.h"
#include "bench/support/program_driver.h"
#include "mesh/simple_mesh.h"

#include <tiny_obj_loader.h>
#ifdef HV_FAST_OBJ
#include <fast_obj.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kCells = 708; // 708 x 708 quads, two triangles each: 1,002,528 triangles
constexpr int kRounds = 7;

const std::vector<std::string>& readers() {
    static const std::vector<std::string> names = {"SimpleMesh::load", "tinyobjloader",
#ifdef HV_FAST_OBJ
                                                   "fast_obj"
#endif
    };
    return names;
}

bool readWith(const std::string& reader, const std::string& path) {
    if (reader == "SimpleMesh::load") {
        QuietOutput quiet(std::cerr);
        SimpleMesh mesh;
        return mesh.load(path, {});
    }
#ifdef HV_FAST_OBJ
    if (reader == "fast_obj") {
        fastObjMesh* mesh = fast_obj_read(path.c_str());
        const bool ok = mesh != nullptr && mesh->face_count > 0;
        if (mesh)
            fast_obj_destroy(mesh);
        return ok;
    }
#endif
    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
    std::string warn, err;
    return tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err, path.c_str(), nullptr,
                            false);
}

// The child: reads path once and prints "RESULT seconds peak-bytes" (or nothing on failure).
int readOnce(const std::string& reader, const std::string& path) {
    const auto start = std::chrono::steady_clock::now();
    const bool ok = readWith(reader, path);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!ok)
        return 1;
    std::printf("RESULT %.6f %llu\n", seconds,
                static_cast<unsigned long long>(peakResidentBytes()));
    return 0;
}

struct Result {
    double seconds = 0;
    double peakBytes = 0;
};

// Runs this program as a child that reads path with reader; false when it failed.
bool runChild(const std::string& reader, const std::string& path, Result& result) {
    const std::string command = "'" + std::filesystem::read_symlink("/proc/self/exe").string() +
                                "' --read '" + reader + "' '" + path + "'";
    FILE* child = popen(command.c_str(), "r");
    if (!child)
        return false;
    char line[256];
    bool found = false;
    while (std::fgets(line, sizeof line, child))
        found =
            found || std::sscanf(line, "RESULT %lf %lf", &result.seconds, &result.peakBytes) == 2;
    return pclose(child) == 0 && found;
}

double median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--read")
        return readOnce(argv[2], argv[3]);
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("hv-bench-fresh-" + std::to_string(getpid()) + ".obj"))
                                 .string();
    const std::uint64_t bytes = writeGridModel(path, kCells);
    if (bytes == 0) {
        std::cerr << "cannot write " << path << "\n";
        return 1;
    }
    std::map<std::string, std::vector<double>> times, peaks, ratios;
    for (int round = 0; round < kRounds; ++round) {
        std::map<std::string, double> now;
        for (const std::string& reader : readers()) {
            Result r;
            if (!runChild(reader, path, r)) {
                std::cerr << reader << ": the read failed\n";
                std::filesystem::remove(path);
                return 1;
            }
            times[reader].push_back(r.seconds);
            peaks[reader].push_back(r.peakBytes);
            now[reader] = r.seconds;
        }
        for (const std::string& reader : readers())
            ratios[reader].push_back(now[reader] / now["SimpleMesh::load"]);
    }
    std::filesystem::remove(path);
    std::printf("model: %d triangles, %.1f MB; %d rounds of one fresh process per reader\n",
                2 * kCells * kCells, bytes / 1e6, kRounds);
    for (const std::string& reader : readers())
        std::printf("%-17s read %4.0f ms (median; fastest %4.0f), peak resident %5.1f MB "
                    "(%.2f x file), %.2f x SimpleMesh::load's time (median of rounds)\n",
                    reader.c_str(), median(times[reader]) * 1e3,
                    *std::min_element(times[reader].begin(), times[reader].end()) * 1e3,
                    median(peaks[reader]) / 1e6, median(peaks[reader]) / bytes,
                    median(ratios[reader]));
    return 0;
}
