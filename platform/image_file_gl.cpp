#include "platform/image_file.h"

#include "platform/replace_file.h"

#include <IL/il.h>

#include <cstdio>

std::string saveBoundImage(unsigned type, const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return errnoText();
    // DevIL writes through the handle with stdio, so the stream's error flag and the final
    // flush tell whether everything reached the file.
    const bool encoded = ilSaveF(type, file) != 0;
    std::string why;
    if (std::ferror(file) != 0)
        why = errnoText();
    if (std::fclose(file) != 0 && why.empty())
        why = errnoText();
    if (why.empty() && !encoded) {
        char text[64];
        std::snprintf(text, sizeof text, "ilSaveF failed (DevIL error 0x%X)",
                      unsigned(ilGetError()));
        why = text;
    }
    return why;
}
