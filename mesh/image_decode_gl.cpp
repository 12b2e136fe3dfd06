#include "mesh/image_decode.h"

#include <IL/il.h>

#include <cstring>

namespace {

// Converts the bound DevIL image (loaded or not, as loaded says) into a DecodedImage.
DecodedImage takeBound(bool loaded, int maxSide) {
    DecodedImage image;
    if (!loaded || !ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE)) {
        image.error = "not an image the decoder reads";
        return image;
    }
    const int width = ilGetInteger(IL_IMAGE_WIDTH), height = ilGetInteger(IL_IMAGE_HEIGHT);
    const unsigned char* data = ilGetData();
    if (width <= 0 || height <= 0 || !data) {
        image.error = "the picture is empty";
        return image;
    }
    if (maxSide > 0 && (width > maxSide || height > maxSide)) {
        image.tooLarge = true;
        image.error = "too large";
        return image;
    }
    image.width = width;
    image.height = height;
    image.rgba.assign(data, data + std::size_t(width) * std::size_t(height) * 4);
    return image;
}

// Runs load with a fresh DevIL image bound, rows delivered bottom row first.
template <typename Load> DecodedImage decodeWith(Load load, int maxSide) {
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
    const bool loaded = load();
    ilDisable(IL_ORIGIN_SET);
    DecodedImage image = takeBound(loaded, maxSide);
    ilDeleteImages(1, &name);
    return image;
}

} // namespace

DecodedImage decodeImageFile(const std::string& path, int maxSide) {
    return decodeWith([&] { return !path.empty() && ilLoadImage(path.c_str()); }, maxSide);
}

DecodedImage decodeImageMemory(const unsigned char* data, std::size_t size, int maxSide) {
    return decodeWith(
        [&] {
            return size > 0 && size < 0xffffffffu && ilLoadL(IL_TYPE_UNKNOWN, data, ILuint(size));
        },
        maxSide);
}
