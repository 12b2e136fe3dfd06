// Picture files made by the tests.
#pragma once

#include <IL/il.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

using Rgba = std::array<std::uint8_t, 4>;

// Saves a width x height picture, rows given top row first, through DevIL (whose new images
// keep their rows bottom first). Needs testContext() (DevIL is set up with it).
inline void saveImage(const std::string& path, int width, int height,
                      const std::vector<Rgba>& topFirst) {
    std::vector<Rgba> bottomFirst;
    for (int row = height - 1; row >= 0; --row)
        bottomFirst.insert(bottomFirst.end(), topFirst.begin() + row * width,
                           topFirst.begin() + (row + 1) * width);
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ilTexImage(width, height, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, bottomFirst.data());
    ilEnable(IL_FILE_OVERWRITE);
    EXPECT_TRUE(ilSaveImage(path.c_str())) << path;
    ilDeleteImages(1, &image);
}
