// The decoders of single formats that the decoder process uses for PNG and JPEG: libpng and
// libjpeg-turbo, both long fuzzed on their own.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Each decodes the whole file at data into rgba: width x height pixels of 4 bytes, bottom row
// first, width and height as the header gave them. Returns "" on success, else the reason
// (rgba then empty). Failures inside the library are caught; nothing is printed.
std::string decodePng(const unsigned char* data, std::size_t size, int width, int height,
                      std::vector<unsigned char>& rgba);
std::string decodeJpeg(const unsigned char* data, std::size_t size, int width, int height,
                       std::vector<unsigned char>& rgba);
