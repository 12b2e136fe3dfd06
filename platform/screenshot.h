// Saving what the 3-D window shows as an image file.
#pragma once

#include <string>

// Reads the current colour buffer (width x height from the lower left) and saves it through
// DevIL with the picture upright, the format chosen by the path's extension; an existing file
// is replaced only once the new one is complete. Returns false when the extension names no
// format DevIL writes, the folder does not exist or the file cannot be written.
bool saveWindowImage(const std::string& path, int width, int height);
