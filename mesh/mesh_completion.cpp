#include "mesh/mesh_completion.h"

#include "mesh/simple_mesh.h"

#include <cmath>

namespace {

bool shortList(const IndexLists& faces, const IndexLists& lists, std::size_t f) {
    return lists.count(f) != faces.count(f);
}

// lists with the list of every face for which replace(f) is true set to `count` copies of
// the index given(f).
template <typename Replace, typename Given>
IndexLists replaced(const IndexLists& faces, const IndexLists& lists, Replace replace,
                    Given given) {
    IndexLists out;
    out.reserve(faces.size(), faces.totalSize());
    for (std::size_t f = 0; f < faces.size(); ++f) {
        if (!replace(f)) {
            out.push_back(lists[f]);
            continue;
        }
        const int index = given(f);
        for (std::size_t k = 0; k < faces.count(f); ++k)
            out.addToOpenList(index);
        out.closeList();
    }
    return out;
}

} // namespace

std::size_t completeTexCoords(const IndexLists& faces, Shared<IndexLists>& texCoordFaces,
                              std::vector<Vec2>& texCoords) {
    const IndexLists& lists = texCoordFaces;
    std::size_t count = 0;
    for (std::size_t f = 0; f < faces.size(); ++f)
        count += shortList(faces, lists, f) ? 1 : 0;
    if (count == 0)
        return 0;
    const int origin = static_cast<int>(texCoords.size());
    texCoords.push_back({0, 0});
    texCoordFaces = replaced(
        faces, lists, [&](std::size_t f) { return shortList(faces, lists, f); },
        [&](std::size_t) { return origin; });
    return count;
}

std::size_t completeNormals(const IndexLists& faces, const std::vector<Vec3>& vertices,
                            Shared<IndexLists>& normalFaces, std::vector<Vec3>& normals) {
    // Unit length; a normal of no direction (zero, or not finite) is marked for its faces.
    std::vector<bool> noDirection(normals.size(), false);
    for (std::size_t i = 0; i < normals.size(); ++i) {
        Vec3& n = normals[i];
        const double l2 = double(n.x) * n.x + double(n.y) * n.y + double(n.z) * n.z;
        if (!(l2 > 1e-30) || !std::isfinite(l2)) {
            noDirection[i] = true;
        } else if (std::fabs(l2 - 1) > 1e-3) {
            const double l = std::sqrt(l2);
            n = {float(n.x / l), float(n.y / l), float(n.z / l)};
        }
    }
    const IndexLists& lists = normalFaces;
    auto needsOwn = [&](std::size_t f) {
        if (shortList(faces, lists, f))
            return true;
        for (const int i : lists[f])
            if (isIndex(i, noDirection.size()) && noDirection[i])
                return true;
        return false;
    };
    std::vector<std::size_t> own;
    for (std::size_t f = 0; f < faces.size(); ++f)
        if (needsOwn(f))
            own.push_back(f);
    if (own.empty())
        return 0;
    const std::size_t first = normals.size();
    for (const std::size_t f : own)
        normals.push_back(unitFaceNormal(faces[f], vertices));
    std::size_t next = 0;
    normalFaces = replaced(
        faces, lists, [&](std::size_t f) { return next < own.size() && own[next] == f; },
        [&](std::size_t) { return static_cast<int>(first + next++); });
    return own.size();
}
