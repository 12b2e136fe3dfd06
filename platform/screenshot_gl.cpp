#include "platform/screenshot.h"

#include "platform/image_file.h"
#include "platform/replace_file.h"

#include <GL/gl.h>
#include <IL/il.h>

#include <filesystem>
#include <vector>

bool saveWindowImage(const std::string& path, int width, int height) {
    if (width < 1 || height < 1)
        return false;
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 3);
    GLint alignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);

    // The format follows the path's extension. Unlike the export, a screenshot makes no
    // folder: a path into a missing one is an error.
    const ILenum type = ilTypeFromExt(path.c_str());
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code error;
    if (type == IL_TYPE_UNKNOWN ||
        (!folder.empty() && !std::filesystem::is_directory(folder, error)))
        return false;
    // glReadPixels delivers the bottom row first, and an image made by ilTexImage has its
    // origin at the lower left: saved, the picture comes out upright. It goes to a temporary
    // file first, so a failed write leaves an earlier screenshot of that name as it was.
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    const std::string why = replaceFile(path, [&](const std::string& tempPath) {
        if (!ilTexImage(width, height, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, pixels.data()))
            return std::string("ilTexImage failed");
        return saveBoundImage(type, tempPath);
    });
    ilDeleteImages(1, &image);
    while (ilGetError() != IL_NO_ERROR) {
    }
    return why.empty();
}
