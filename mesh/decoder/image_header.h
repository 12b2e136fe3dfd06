// What an image file's header says before anything is decoded: its format, the picture's size
// and whether the file holds all of the picture. Pure byte inspection, no decoder involved,
// so a hostile file is judged before any pixel memory is taken.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

enum class ImageFormat { Unknown, Png, Jpeg, Gif, Bmp, Tga, Pnm };

struct ImageHeader {
    ImageFormat format = ImageFormat::Unknown;
    long long width = 0;  // 0 when the header gives none
    long long height = 0; // rows (a BMP stored top-down still counts them positive)
    // Why the file cannot hold a whole picture of its format: "" when it can (or the format is
    // Unknown), else a reason such as "truncated" or "malformed header". A known format with a
    // problem is refused without being decoded.
    std::string problem;
    // The layout is one the built-in decoder covers (for example not a run-length coded BMP);
    // only meaningful when problem is "".
    bool builtIn = false;
};

// Inspects the size bytes at data. extension (lower case, without the dot, may be "") tells
// the formats that carry no signature of their own (TGA). Every field is read with its bounds
// checked; never reads past data + size.
ImageHeader inspectImage(const unsigned char* data, std::size_t size, std::string_view extension);

// The lower-case extension of path's file name without the dot; "" when it has none.
std::string imageExtension(std::string_view path);
