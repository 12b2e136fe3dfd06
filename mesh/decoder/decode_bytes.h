// The decoding itself, run inside the decoder process (and by the image fuzzer): the header
// is judged first, then the built-in decoders (libpng, libjpeg-turbo, stb_image for the GIF,
// BMP and TGA layouts it covers, a reader of our own for every PNM layout) or DevIL (every
// other format DevIL reads) make the pixels.
#pragma once

#include "mesh/image_decode.h"

#include <cstddef>
#include <string_view>

// The largest number of pixels decoded (16384 x 16384): a larger picture is refused from its
// header, before any pixel memory is taken.
constexpr long long kMaxDecodedPixels = 16384LL * 16384LL;

// Decodes size bytes at data; extension (lower case, may be "") names the format of files
// without a signature. maxSide as for decodeImageFile. useDevil = false refuses the formats
// the built-in decoder does not cover instead of handing them to DevIL.
DecodedImage decodeImageBytes(const unsigned char* data, std::size_t size,
                              std::string_view extension, int maxSide, bool useDevil);
