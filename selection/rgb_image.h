// An RGB image read back from the window: 3 bytes per pixel, rows packed without padding,
// bottom row first (OpenGL's window order).
#pragma once

#include <cstddef>
#include <vector>

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels; // width * height * 3 bytes

    RgbImage() = default;
    RgbImage(int w, int h)
        : width(w), height(h),
          pixels(static_cast<std::size_t>(w > 0 ? w : 0) * (h > 0 ? h : 0) * 3) {}

    // First byte of the pixel at column x, row y (row 0 at the bottom); x, y must be inside.
    const unsigned char* at(int x, int y) const {
        return pixels.data() + (static_cast<std::size_t>(y) * width + x) * 3;
    }
    unsigned char* at(int x, int y) {
        return pixels.data() + (static_cast<std::size_t>(y) * width + x) * 3;
    }
};
