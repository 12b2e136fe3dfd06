// Saving a DevIL image to a file with every write checked: DevIL's own file saving ignores
// write errors, so a full disk would leave a truncated picture reported as saved.
#pragma once

#include <string>

// Saves the bound DevIL image at path in the format type (an IL_ file type such as IL_BMP),
// replacing what is there. Returns "" when the whole file was written, else why not.
std::string saveBoundImage(unsigned type, const std::string& path);
