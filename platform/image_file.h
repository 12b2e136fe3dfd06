// Pictures of the 3-D window: reading its pixels and depths back and saving pixels as image
// files. Every write is checked (DevIL's own file saving ignores write errors, so a full disk
// would leave a truncated picture reported as saved).
#pragma once

#include <string>
#include <vector>

// The bottom-left width x height pixels of the current read buffer, bottom row first, rows
// tightly packed, channels 3 (RGB) or 4 (RGBA) bytes per pixel; the context's pack state is
// left as it was. Empty when the size has no pixels.
std::vector<unsigned char> readPixels(int width, int height, int channels);
// The same pixels' window depths, bottom row first, one float each in [0, 1].
std::vector<float> readDepths(int width, int height);

// Saves pixels (as readPixels gives them) at path as an image of the DevIL file type (an IL_
// constant such as IL_BMP), upright, writing path directly. The DevIL image bound before is
// bound again afterwards. Returns "" when the whole file was written, else why not.
std::string savePixels(const std::string& path, unsigned type, int width, int height, int channels,
                       const std::vector<unsigned char>& pixels);

// Reads the window's width x height pixels and saves them as an image whose format follows the
// path's extension, replacing a file there only once the new one is complete. Returns "" when
// the file was written, else why not: the extension names no format DevIL writes, the folder
// does not exist, or the file cannot be written.
std::string saveWindowImage(const std::string& path, int width, int height);
