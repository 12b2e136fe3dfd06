// Texture pictures the benchmarks write for their generated models.
#pragma once

#include <array>
#include <fstream>
#include <string>

// Writes a side x side 24-bit BMP whose pixel at column x, row y (from the bottom) has the
// colour bgr(x, y) returns, as {blue, green, red}.
template <typename Colour> void writeBmp(const std::string& path, int side, Colour bgr) {
    const int rowBytes = side * 3, size = 54 + rowBytes * side;
    unsigned char header[54] = {'B', 'M'};
    auto put32 = [&](int at, int value) {
        for (int i = 0; i < 4; ++i)
            header[at + i] = static_cast<unsigned char>(value >> (8 * i));
    };
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, side);
    put32(22, side);
    header[26] = 1;
    header[28] = 24;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(header), sizeof header);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const std::array<unsigned char, 3> pixel = bgr(x, y);
            out.write(reinterpret_cast<const char*>(pixel.data()), 3);
        }
}
