#include "selection/face_id.h"

#include <algorithm>
#include <ostream>

void reportIdFaceLimit(std::size_t faceCount, std::ostream& out) {
    if (faceCount <= kMaxIdFaces)
        return;
    out << "face IDs: only the first " << kMaxIdFaces << " of " << faceCount
        << " faces can be picked or found visible\n";
}

long long decodeFaceId(const unsigned char* rgb, std::size_t drawnFaces) {
    const std::size_t id = rgb[0] + 256u * rgb[1] + 65536u * rgb[2];
    return id < drawnFaces ? static_cast<long long>(id) : -1;
}

void markFacesInIdImage(const RgbImage& image, std::size_t drawnFaces,
                        std::vector<int>& faceVisible) {
    const std::size_t limit = std::min(drawnFaces, faceVisible.size());
    const unsigned char* p = image.pixels.data();
    const unsigned char* end = p + image.pixels.size();
    for (; p != end; p += 3) {
        const long long id = decodeFaceId(p, limit);
        if (id >= 0)
            faceVisible[id] = 1;
    }
}
