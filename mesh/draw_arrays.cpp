#include "mesh/draw_arrays.h"

#include <array>

namespace {

// Corner tints on the input model by the part of the corner's vertex (index 0: white), and
// the alpha of faces not seen from the set-up camera.
constexpr std::array<Rgba, 4> kTints = {Rgba{1, 1, 1, 1}, Rgba{0, 1, 0, 1}, Rgba{0, 1, 0.7f, 1},
                                        Rgba{0.7f, 1, 0, 1}};
constexpr float kHiddenFaceAlpha = 0.15f;

// A corner's colour as a small code: the tint index, plus 4 on faces drawn translucent.
constexpr int kTranslucent = 4;

Rgba colourOf(int code) {
    Rgba colour = kTints[code & 3];
    colour.a = (code & kTranslucent) ? kHiddenFaceAlpha : 1.0f;
    return colour;
}

constexpr std::uint32_t kNone = 0xFFFFFFFFu;
// Entries of one position searched for a match before a new one is made anyway: keeps the
// build linear when a position has many distinct corners.
constexpr int kSearchLimit = 8;

int entryOr(const std::vector<int>& values, std::size_t i, int missing) {
    return i < values.size() ? values[i] : missing;
}

// One corner as the arrays need it.
struct Corner {
    int position, normal, texCoord, colour;
};

// Makes the shared entries and the triangle lists.
class Builder {
  public:
    Builder(const SimpleMesh& mesh, bool textured, MeshArrays& out)
        : mesh_(mesh), textured_(textured), out_(out), head_(mesh.vertices.size(), kNone) {
        // A face of n corners gives n - 2 triangles.
        const std::size_t corners = mesh.faces->totalSize(), faces = mesh.faces.size();
        out.front.reserve(corners > 2 * faces ? 3 * (corners - 2 * faces) : 0);
        out.positions.reserve(mesh.vertices.size());
    }

    // Appends the fan of one face's corners to list; faces of fewer than three corners give
    // no triangle (as a polygon of fewer than three vertices draws nothing).
    void addFan(const std::vector<Corner>& c, std::vector<std::uint32_t>& list) {
        const std::size_t n = c.size();
        for (std::size_t k = 1; k + 1 < n; ++k) {
            list.push_back(entry(c[k], true));
            list.push_back(entry(c[k + 1], k + 1 == n - 1));
            list.push_back(entry(c[0], k == 1));
        }
    }

  private:
    struct Key {
        int normal, texCoord, colour;
        bool flag;
        bool operator==(const Key&) const = default;
    };

    std::uint32_t entry(const Corner& c, bool flag) {
        const Key key{c.normal, c.texCoord, c.colour, flag};
        std::uint32_t e = head_[c.position];
        for (int searched = 0; e != kNone && searched < kSearchLimit; ++searched, e = next_[e])
            if (keys_[e] == key)
                return e;
        e = static_cast<std::uint32_t>(keys_.size());
        keys_.push_back(key);
        next_.push_back(head_[c.position]);
        head_[c.position] = e;
        out_.positions.push_back(mesh_.vertices[c.position]);
        out_.normals.push_back(mesh_.normals[c.normal]);
        out_.edgeFlags.push_back(flag ? 1 : 0);
        if (textured_) {
            out_.texCoords.push_back(mesh_.texCoords[c.texCoord]);
            out_.colours.push_back(colourOf(c.colour));
        }
        return e;
    }

    const SimpleMesh& mesh_;
    bool textured_;
    MeshArrays& out_;
    std::vector<std::uint32_t> head_; // per position: its newest entry
    std::vector<std::uint32_t> next_; // per entry: the next older entry of its position
    std::vector<Key> keys_;
};

// The corners of face f whose indices are all usable; texCoords only when textured.
void usableCorners(const SimpleMesh& mesh, std::size_t f, bool textured, std::vector<Corner>& out) {
    out.clear();
    const auto positions = mesh.faces[f];
    const auto normals = f < mesh.normalFaces.size() ? mesh.normalFaces[f] : std::span<const int>();
    const auto texCoords =
        textured && f < mesh.texCoordFaces.size() ? mesh.texCoordFaces[f] : std::span<const int>();
    for (std::size_t k = 0; k < positions.size(); ++k) {
        if (k >= normals.size() || !isIndex(positions[k], mesh.vertices.size()) ||
            !isIndex(normals[k], mesh.normals.size()))
            continue;
        int t = -1;
        if (textured) {
            if (k >= texCoords.size() || !isIndex(texCoords[k], mesh.texCoords.size()))
                continue;
            t = texCoords[k];
        }
        out.push_back({positions[k], normals[k], t, 0});
    }
}

// Tint index of a corner of a front-pass face.
int tintIndex(const SimpleMesh& mesh, int position, bool outputShown, bool borderFace) {
    const int part = entryOr(mesh.vertexPart, position, 0);
    if (outputShown || borderFace || part < 1 || part > 3)
        return 0;
    return part;
}

bool anyUnseenFace(const SimpleMesh& mesh) {
    for (std::size_t f = 0; f < mesh.faces.size(); ++f)
        if (entryOr(mesh.faceVisible, f, 1) == 0)
            return true;
    return false;
}

} // namespace

MeshArrays texturedArrays(const SimpleMesh& mesh, bool outputShown) {
    MeshArrays out;
    Builder builder(mesh, true, out);
    const bool hideUnseen = mesh.hideInvisibleFaces == 1;
    out.backPass = mesh.drawBackFaces != 0;
    // The back-face pass draws the faces seen from the camera; the front pass draws those too
    // and, unless they are hidden, the unseen ones.
    out.backUsesFront = out.backPass && (hideUnseen || !anyUnseenFace(mesh));
    const bool ownBackList = out.backPass && !out.backUsesFront;

    std::vector<Corner> corners;
    bool anySeenFace = false;
    Vec3 lastBackNormal;
    bool anyBackCorner = false;
    for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
        const bool seen = entryOr(mesh.faceVisible, f, 1) != 0;
        if (!seen && hideUnseen)
            continue;
        const bool border = entryOr(mesh.facePart, f, 0) < 0;
        usableCorners(mesh, f, true, corners);
        for (Corner& c : corners)
            c.colour = tintIndex(mesh, c.position, outputShown, border) | (seen ? 0 : kTranslucent);
        const std::size_t begin = out.front.size();
        builder.addFan(corners, out.front);
        if (ownBackList && seen)
            out.back.insert(out.back.end(), out.front.begin() + begin, out.front.end());
        if (!corners.empty()) {
            const Corner& c = corners.back();
            out.last.colourSet = out.last.normalSet = out.last.texCoordSet = true;
            out.last.colour = colourOf(c.colour);
            out.last.normal = mesh.normals[c.normal];
            out.last.texCoord = mesh.texCoords[c.texCoord];
            if (seen) {
                anyBackCorner = true;
                lastBackNormal = out.last.normal;
            }
        }
        anySeenFace = anySeenFace || seen;
    }
    // The back-face pass sets its grey once per seen face and (0, 0) and a normal per corner.
    if (out.backPass && anySeenFace) {
        out.last.colourSet = true;
        out.last.colour = kBackFaceColour;
    }
    if (out.backPass && anyBackCorner) {
        out.last.texCoord = {0, 0};
        out.last.normal = lastBackNormal;
    }
    return out;
}

MeshArrays plainArrays(const SimpleMesh& mesh) {
    MeshArrays out;
    Builder builder(mesh, false, out);
    std::vector<Corner> corners;
    for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
        usableCorners(mesh, f, false, corners);
        builder.addFan(corners, out.front);
        if (!corners.empty()) {
            out.last.normalSet = true;
            out.last.normal = mesh.normals[corners.back().normal];
        }
    }
    return out;
}
