#include "tests/fuzz/image_check.h"

#include "mesh/decoder/decode_bytes.h"
#include "mesh/decoder/image_header.h"

#include <string_view>

std::string checkImageInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return "";
    static constexpr std::string_view kExtensions[] = {"",    "png", "jpg", "gif",
                                                       "bmp", "tga", "ppm", "pgm"};
    const std::string_view extension = kExtensions[data[0] % 8];
    const unsigned char* file = data + 1;
    const std::size_t length = size - 1;
    // A limit well under the program's keeps each run small and the fuzzer fast.
    constexpr int kMaxSide = 512;
    const ImageHeader header = inspectImage(file, length, extension);
    const DecodedImage image = decodeImageBytes(file, length, extension, kMaxSide, false);
    if (!image.error.empty())
        return image.rgba.empty() ? "" : "a failure with pixels";
    if (!header.problem.empty())
        return "decoded a file whose header was refused: " + header.problem;
    if (image.width <= 0 || image.height <= 0 || image.width > kMaxSide || image.height > kMaxSide)
        return "a picture of " + std::to_string(image.width) + " x " + std::to_string(image.height);
    if (image.width != header.width || image.height != header.height)
        return "the picture's size differs from its header's";
    if (image.rgba.size() != std::size_t(image.width) * std::size_t(image.height) * 4)
        return "pixels missing";
    return "";
}
