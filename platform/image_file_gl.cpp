#include "platform/image_file.h"

#include "platform/replace_file.h"

#include <GL/gl.h>
#include <IL/il.h>

#include <cstdio>
#include <filesystem>

namespace {

std::string devilError(const char* what) {
    char text[64];
    std::snprintf(text, sizeof text, "%s failed (DevIL error 0x%X)", what, unsigned(ilGetError()));
    return text;
}

// Saves the bound DevIL image through a stdio stream whose error flag and final flush tell
// whether everything reached the file.
std::string saveBoundImage(unsigned type, const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return errnoText();
    const bool encoded = ilSaveF(type, file) != 0;
    std::string why;
    if (std::ferror(file) != 0)
        why = errnoText();
    if (std::fclose(file) != 0 && why.empty())
        why = errnoText();
    if (why.empty() && !encoded)
        why = devilError("ilSaveF");
    return why;
}

// Reads the bottom-left width x height pixels of the current read buffer into out, rows
// tightly packed, whatever pack state the context holds (which is left as it was).
void readBack(int width, int height, GLenum format, GLenum type, void* out) {
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    // Rows of 3 * width bytes are not a multiple of 4 for most widths: pack them tightly.
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_PACK_SWAP_BYTES, GL_FALSE);
    glPixelStorei(GL_PACK_LSB_FIRST, GL_FALSE);
    glReadPixels(0, 0, width, height, format, type, out);
    glPopClientAttrib();
}

} // namespace

std::vector<unsigned char> readPixels(int width, int height, int channels) {
    if (width < 1 || height < 1)
        return {};
    std::vector<unsigned char> pixels(std::size_t(width) * std::size_t(height) * channels);
    readBack(width, height, channels == 4 ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

std::vector<float> readDepths(int width, int height) {
    if (width < 1 || height < 1)
        return {};
    std::vector<float> depths(std::size_t(width) * std::size_t(height));
    readBack(width, height, GL_DEPTH_COMPONENT, GL_FLOAT, depths.data());
    return depths;
}

std::string savePixels(const std::string& path, unsigned type, int width, int height, int channels,
                       const std::vector<unsigned char>& pixels) {
    while (ilGetError() != IL_NO_ERROR) {
    } // leave no stale error to be reported as ours
    const ILint previous = ilGetInteger(IL_CUR_IMAGE);
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    // Rows come bottom first, and an image made by ilTexImage has its origin at the lower left:
    // saved, the picture comes out upright.
    std::string why;
    if (!ilTexImage(width, height, 1, ILubyte(channels), channels == 4 ? IL_RGBA : IL_RGB,
                    IL_UNSIGNED_BYTE, const_cast<unsigned char*>(pixels.data())))
        why = devilError("ilTexImage");
    else
        why = saveBoundImage(type, path);
    ilBindImage(ILuint(previous));
    ilDeleteImages(1, &image);
    return why;
}

std::string saveWindowImage(const std::string& path, int width, int height) {
    // Unlike the export, a screenshot makes no folder: a path into a missing one is an error.
    const ILenum type = ilTypeFromExt(path.c_str());
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code error;
    if (width < 1 || height < 1)
        return "the window has no pixels";
    if (type == IL_TYPE_UNKNOWN)
        return "no image format is known by that name";
    if (!folder.empty() && !std::filesystem::is_directory(folder, error))
        return "no folder \"" + folder.string() + "\"";
    const std::vector<unsigned char> pixels = readPixels(width, height, 3);
    return replaceFile(path, [&](const std::string& tempPath) {
        return savePixels(tempPath, type, width, height, 3, pixels);
    });
}
