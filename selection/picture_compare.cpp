#include "selection/picture_compare.h"

#include "selection/face_id.h"

#include <algorithm>
#include <cstdio>

namespace {

void markFace(long long face, std::vector<unsigned char>& changed) {
    if (face >= 0 && static_cast<std::size_t>(face) < changed.size())
        changed[static_cast<std::size_t>(face)] = 1;
}

// Counts the pixels of image outside the width x height corner both images hold that show
// the model, marking their faces.
void countOutside(const RgbImage& image, int width, int height, std::size_t drawnFaces,
                  PictureComparison& out) {
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            if (x < width && y < height)
                continue;
            const long long face = decodeFaceId(image.at(x, y), drawnFaces);
            if (face < 0)
                continue;
            ++out.modelPixels;
            ++out.differ;
            markFace(face, out.changedFaces);
        }
}

} // namespace

PictureComparison comparePictures(const RgbImage& before, const RgbImage& after,
                                  std::size_t drawnFaces, std::size_t faceCount) {
    PictureComparison out;
    out.changedFaces.assign(faceCount, 0);
    const int width = std::min(before.width, after.width);
    const int height = std::min(before.height, after.height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const long long was = decodeFaceId(before.at(x, y), drawnFaces);
            const long long is = decodeFaceId(after.at(x, y), drawnFaces);
            if (was < 0 && is < 0)
                continue;
            ++out.modelPixels;
            if (was == is)
                continue;
            ++out.differ;
            markFace(was, out.changedFaces);
            markFace(is, out.changedFaces);
        }
    countOutside(before, width, height, drawnFaces, out);
    countOutside(after, width, height, drawnFaces, out);
    return out;
}

std::string keptPercent(const PictureComparison& comparison) {
    long long hundredths = 10000;
    if (comparison.modelPixels > 0)
        hundredths = (comparison.modelPixels - comparison.differ) * 10000 / comparison.modelPixels;
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%02lld", hundredths / 100, hundredths % 100);
    return text;
}

std::vector<std::uint32_t> changedFaceTriangles(const IndexLists& faces, std::size_t vertexCount,
                                                const std::vector<unsigned char>& changedFaces) {
    std::vector<std::uint32_t> triangles;
    std::vector<std::uint32_t> corners;
    const std::size_t count = std::min(faces.size(), changedFaces.size());
    for (std::size_t f = 0; f < count; ++f) {
        if (changedFaces[f] == 0)
            continue;
        corners.clear();
        for (int v : faces[f])
            if (isIndex(v, vertexCount))
                corners.push_back(static_cast<std::uint32_t>(v));
        for (std::size_t k = 1; k + 1 < corners.size(); ++k)
            triangles.insert(triangles.end(), {corners[0], corners[k], corners[k + 1]});
    }
    return triangles;
}

void nameSourceFaces(RgbImage& image, const std::vector<int>& sourceFace, std::size_t drawnFaces) {
    const std::size_t pixels = image.pixels.size() / 3;
    for (std::size_t i = 0; i < pixels; ++i) {
        unsigned char* rgb = image.pixels.data() + 3 * i;
        const long long face = decodeFaceId(rgb, std::min(drawnFaces, sourceFace.size()));
        if (face < 0)
            continue;
        const int source = sourceFace[face];
        rgb[0] = source & 255;
        rgb[1] = (source >> 8) & 255;
        rgb[2] = (source >> 16) & 255;
    }
}

std::vector<unsigned char> piecesOfFaces(const std::vector<unsigned char>& marks,
                                         const std::vector<int>& sourceFace) {
    std::vector<unsigned char> out(sourceFace.size(), 0);
    for (std::size_t f = 0; f < sourceFace.size(); ++f)
        out[f] = isIndex(sourceFace[f], marks.size()) ? marks[sourceFace[f]] : 0;
    return out;
}
