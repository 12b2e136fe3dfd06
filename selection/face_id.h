// Colour-ID encoding of faces: face i is drawn in the colour (i & 255, (i >> 8) & 255,
// (i >> 16) & 255) on a white background, and a read-back pixel (R, G, B) names the face
// R + 256 G + 65536 B when that value is below the number of faces drawn.
#pragma once

#include "selection/rgb_image.h"

#include <cstddef>
#include <iosfwd>
#include <vector>

// Faces told apart by 24-bit colours: white (16,777,215) is the background, and a higher
// index would wrap round onto a lower face's colour.
constexpr std::size_t kMaxIdFaces = 16777215;

// How many faces of a mesh of faceCount faces the ID passes draw: all of them, or the first
// kMaxIdFaces; the rest can be neither picked nor found visible.
inline std::size_t idFaceCount(std::size_t faceCount) {
    return faceCount < kMaxIdFaces ? faceCount : kMaxIdFaces;
}

// Prints, when faceCount is beyond kMaxIdFaces, the one line that says which faces the ID
// passes leave out; prints nothing otherwise.
void reportIdFaceLimit(std::size_t faceCount, std::ostream& out);

// The face a pixel names, or -1 when its value is not below drawnFaces.
long long decodeFaceId(const unsigned char* rgb, std::size_t drawnFaces);

// Sets faceVisible[i] = 1 for every face i named by a pixel of the image (values not below
// drawnFaces name no face); other entries are left as they are.
void markFacesInIdImage(const RgbImage& image, std::size_t drawnFaces,
                        std::vector<int>& faceVisible);
