#include "export/snapshot.h"

#include "platform/image_file.h"
#include "platform/replace_file.h"

#include <GL/gl.h>
#include <IL/il.h>

#include <cstdio>
#include <vector>

namespace {

// Reads the colour buffer rows bottom first, tightly packed.
std::vector<unsigned char> readColourBuffer(int width, int height) {
    std::vector<unsigned char> pixels(std::size_t(width) * std::size_t(height) * 4, 0);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glPopClientAttrib();
    return pixels;
}

std::string devilError(const char* what) {
    char text[64];
    std::snprintf(text, sizeof text, "%s failed (DevIL error 0x%X)", what, unsigned(ilGetError()));
    return text;
}

// Saves the pixels as a BMP through an image of its own, so that the image the texture
// loader left bound is not disturbed. DevIL takes rows bottom first, as glReadPixels gives
// them, and writes the BMP upright.
std::string saveBmp(int width, int height, std::vector<unsigned char>& pixels,
                    const std::string& path) {
    while (ilGetError() != IL_NO_ERROR) {
    } // leave no stale error to be reported as ours
    ILint previous = ilGetInteger(IL_CUR_IMAGE);
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    std::string why;
    if (!ilTexImage(width, height, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, pixels.data()))
        why = devilError("ilTexImage");
    else
        why = saveBoundImage(IL_BMP, path);
    ilBindImage(ILuint(previous));
    ilDeleteImages(1, &image);
    return why;
}

} // namespace

std::string writeSnapshot(int width, int height, const std::function<void()>& renderView,
                          const std::string& path) {
    if (width <= 0 || height <= 0)
        return "the window has no pixels";
    if (renderView)
        renderView();
    std::vector<unsigned char> pixels = readColourBuffer(width, height);
    return saveBmp(width, height, pixels, path);
}

std::string saveSnapshot(int width, int height, const std::function<void()>& renderView,
                         const std::string& path) {
    return replaceFile(path, [&](const std::string& tempPath) {
        return writeSnapshot(width, height, renderView, tempPath);
    });
}
