// Picture files made and read by the tests.
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

// Loads an image file with its top row first: width * height RGB bytes, empty when it does
// not load.
inline std::vector<unsigned char> loadTopDown(const std::string& path, int& width, int& height) {
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
    std::vector<unsigned char> pixels;
    if (ilLoadImage(path.c_str()) && ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE)) {
        width = ilGetInteger(IL_IMAGE_WIDTH);
        height = ilGetInteger(IL_IMAGE_HEIGHT);
        pixels.assign(ilGetData(), ilGetData() + width * height * 3);
    }
    ilDisable(IL_ORIGIN_SET);
    ilDeleteImages(1, &image);
    return pixels;
}
