// Counting what an OBJ file holds, as written and as a third-party reader sees it.
#pragma once

#include <array>
#include <cstdio>
#include <sstream>
#include <string>

// Corners and faces that `assimp info --raw` reports for a file (without joining, its
// vertices are the corners of all faces); {-1, -1} when it cannot read the file.
inline std::array<long, 2> assimpCounts(const std::string& path) {
    std::array<long, 2> counts{-1, -1};
    std::FILE* pipe = popen(("assimp info '" + path + "' --raw 2>&1").c_str(), "r");
    if (!pipe)
        return counts;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        std::sscanf(line, "Vertices: %ld", &counts[0]);
        std::sscanf(line, "Faces: %ld", &counts[1]);
    }
    pclose(pipe);
    return counts;
}

// Corners and face lines in a written OBJ text.
inline std::array<long, 2> writtenCounts(const std::string& obj) {
    long corners = 0, faces = 0;
    std::istringstream in(obj);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("f ", 0) == 0) {
            ++faces;
            for (char c : line)
                corners += c == ' ';
        }
    return {corners, faces};
}
