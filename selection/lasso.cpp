#include "selection/lasso.h"

#include <algorithm>

namespace {

// The pixel a projected vertex falls on, when it lies within the image; rounding is to the
// nearest pixel centre as the inside test has always done (x + 0.5 truncated).
bool pixelOf(const DPoint3& window, int width, int height, int& column, int& row) {
    if (!(window.x >= 0 && window.x <= width - 1 && window.y >= 0 && window.y <= height - 1))
        return false; // also rejects NaN
    column = static_cast<int>(window.x + 0.5);
    row = static_cast<int>(window.y + 0.5);
    return true;
}

bool isBlack(const unsigned char* rgb) {
    return rgb[0] == 0 && rgb[1] == 0 && rgb[2] == 0;
}

} // namespace

std::vector<unsigned char> verticesInsideLasso(const SimpleMesh& mesh, const RgbImage& mask,
                                               const ViewTransform& view, std::ostream& out) {
    std::vector<unsigned char> inside(mesh.vertices.size(), 0);
    for (std::size_t j = 0; j < mesh.vertices.size(); ++j) {
        const Vec3& v = mesh.vertices[j];
        DPoint3 window;
        int column = 0, row = 0;
        if (!projectPoint(view, {v.x, v.y, v.z}, window) ||
            !pixelOf(window, mask.width, mask.height, column, row) ||
            !isBlack(mask.at(column, row)))
            continue;
        out << "painted verts[" << column << ", " << (mask.height - row) << "]\n";
        inside[j] = 1;
    }
    return inside;
}

void labelEnclosedFaces(SimpleMesh& mesh, const std::vector<unsigned char>& inside, int part) {
    const std::size_t faceCount = std::min(mesh.faces.size(), mesh.facePart.size());
    std::vector<int>& facePart = mesh.facePart.edit();
    for (std::size_t f = 0; f < faceCount; ++f) {
        auto corners = mesh.faces[f];
        bool enclosed = !corners.empty();
        for (int v : corners)
            enclosed = enclosed && isIndex(v, inside.size()) && inside[v];
        if (enclosed)
            facePart[f] = part;
    }
}

void propagateFacePart(SimpleMesh& mesh, int part) {
    const std::size_t faceCount = std::min(mesh.faces.size(), mesh.facePart.size());
    const std::size_t vertexCount = std::min(mesh.vertexPart.size(), mesh.vertexInPart.size());
    std::vector<int>& facePart = mesh.facePart.edit();
    std::vector<int>& vertexPart = mesh.vertexPart.edit();
    std::vector<int>& vertexInPart = mesh.vertexInPart.edit();
    for (std::size_t f = 0; f < faceCount; ++f) {
        if (facePart[f] != part)
            continue;
        for (int v : mesh.faces[f]) {
            if (!isIndex(v, vertexCount))
                continue;
            vertexPart[v] = part;
            vertexInPart[v] = part > 0 ? 1 : 0;
        }
    }
    // Faces whose corners now carry different labels form the seam between parts.
    for (std::size_t f = 0; f < faceCount; ++f) {
        int first = -2; // no valid corner seen yet
        for (int v : mesh.faces[f]) {
            if (!isIndex(v, vertexCount))
                continue;
            if (first == -2)
                first = vertexPart[v];
            else if (vertexPart[v] != first)
                facePart[f] = -1;
        }
    }
}

void paintLasso(SimpleMesh& mesh, const RgbImage& mask, const ViewTransform& view, int part,
                std::ostream& out) {
    const std::vector<unsigned char> inside = verticesInsideLasso(mesh, mask, view, out);
    labelEnclosedFaces(mesh, inside, part);
    propagateFacePart(mesh, part);
}
