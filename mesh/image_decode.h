// Decoding image files (any format DevIL reads) into 8-bit RGBA pixels, the one way every
// texture of the program is read.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// A decoded picture: rgba holds width x height pixels of 4 bytes, rows tightly packed,
// bottom row first (the row OpenGL takes for texture coordinate v = 0, as OBJ files mean it).
// On failure width and height are 0, rgba is empty and error says why; tooLarge is set when
// the picture is larger than the limit asked for.
struct DecodedImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;
    std::string error;     // "" on success
    bool tooLarge = false; // the picture exceeds maxSide in width or height
};

// Decodes the image file at path (a regular file, already found). maxSide limits width and
// height (0: no limit of the caller's own); a larger picture fails with tooLarge set and,
// where its header tells, before any pixel memory is taken.
DecodedImage decodeImageFile(const std::string& path, int maxSide = 0);

// Decodes an image held in memory (an image embedded in another file), as decodeImageFile.
DecodedImage decodeImageMemory(const unsigned char* data, std::size_t size, int maxSide = 0);
