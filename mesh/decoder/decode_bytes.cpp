#include "mesh/decoder/decode_bytes.h"

#include "mesh/decoder/image_header.h"

#include <IL/il.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#define STBI_NO_STDIO
#define STBI_NO_HDR
#define STBI_NO_PIC
#define STBI_NO_PSD
#define STBI_NO_LINEAR
#define STBI_MAX_DIMENSIONS 16384
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace {

DecodedImage failure(std::string why, bool tooLarge = false, long long width = 0,
                     long long height = 0) {
    DecodedImage image;
    image.error = std::move(why);
    image.tooLarge = tooLarge;
    // A picture refused for its size still tells it, for the console line.
    if (tooLarge) {
        image.width = static_cast<int>(std::min<long long>(width, INT_MAX));
        image.height = static_cast<int>(std::min<long long>(height, INT_MAX));
    }
    return image;
}

bool exceeds(long long width, long long height, int maxSide) {
    return (maxSide > 0 && (width > maxSide || height > maxSide)) ||
           width * height > kMaxDecodedPixels;
}

// Copies width x height RGBA rows given top row first into image, bottom row first.
void takeTopDown(DecodedImage& image, const unsigned char* rows, int width, int height) {
    const std::size_t rowBytes = std::size_t(width) * 4;
    image.width = width;
    image.height = height;
    image.rgba.resize(rowBytes * std::size_t(height));
    for (int y = 0; y < height; ++y)
        std::memcpy(image.rgba.data() + rowBytes * std::size_t(height - 1 - y),
                    rows + rowBytes * std::size_t(y), rowBytes);
}

DecodedImage decodeBuiltIn(const unsigned char* data, std::size_t size, const ImageHeader& header) {
    int width = 0, height = 0, channels = 0;
    stbi_uc* rows =
        stbi_load_from_memory(data, static_cast<int>(size), &width, &height, &channels, 4);
    if (!rows)
        return failure(std::string("refused (") + stbi_failure_reason() + ")");
    DecodedImage image;
    if (width == header.width && height == header.height)
        takeTopDown(image, rows, width, height);
    else
        image = failure("malformed header");
    stbi_image_free(rows);
    return image;
}

DecodedImage decodeWithDevil(const unsigned char* data, std::size_t size,
                             std::string_view extension, int maxSide) {
    static const bool initialised = (ilInit(), true); // only when a picture needs DevIL
    (void)initialised;
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
    const std::string probe = "image." + std::string(extension);
    const ILenum type = extension.empty() ? ILenum(IL_TYPE_UNKNOWN) : ilTypeFromExt(probe.c_str());
    const bool loaded = ilLoadL(type == IL_TYPE_UNKNOWN ? ILenum(IL_TYPE_UNKNOWN) : type, data,
                                static_cast<ILuint>(size)) &&
                        ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE);
    ilDisable(IL_ORIGIN_SET);
    DecodedImage image;
    const long long width = ilGetInteger(IL_IMAGE_WIDTH), height = ilGetInteger(IL_IMAGE_HEIGHT);
    const unsigned char* pixels = ilGetData();
    if (!loaded || width <= 0 || height <= 0 || !pixels)
        image = failure("refused");
    else if (exceeds(width, height, maxSide))
        image = failure("too large", true, width, height);
    else {
        image.width = static_cast<int>(width);
        image.height = static_cast<int>(height);
        image.rgba.assign(pixels, pixels + std::size_t(width) * std::size_t(height) * 4);
    }
    ilDeleteImages(1, &name);
    return image;
}

} // namespace

DecodedImage decodeImageBytes(const unsigned char* data, std::size_t size,
                              std::string_view extension, int maxSide, bool useDevil) {
    if (size == 0)
        return failure("refused (empty file)");
    if (size > static_cast<std::size_t>(INT_MAX))
        return failure("refused (larger than 2 GiB)");
    const ImageHeader header = inspectImage(data, size, extension);
    if (!header.problem.empty())
        return failure(header.problem);
    if (header.format != ImageFormat::Unknown && exceeds(header.width, header.height, maxSide))
        return failure("too large", true, header.width, header.height);
    if (header.builtIn)
        return decodeBuiltIn(data, size, header);
    if (!useDevil)
        return failure("refused (no built-in decoder for this layout)");
    return decodeWithDevil(data, size, extension, maxSide);
}
