#include "mesh/draw_arrays.h"

#include "mesh/growth.h"

#include <algorithm>
#include <array>
#include <cstring>

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
    int position, normal, texCoord, colour, material;
};

// An entry that no corner has claimed yet (no corner has normal -1).
constexpr DrawEntry kUnused{0, -1, 0, 0, 0};

// Drops the unused entries of out, renumbering its triangle lists.
void dropUnusedEntries(MeshArrays& out) {
    std::vector<DrawEntry>& entries = out.entries;
    std::vector<std::uint32_t> renumbered(entries.size());
    std::size_t kept = 0;
    for (std::size_t e = 0; e < entries.size(); ++e) {
        renumbered[e] = static_cast<std::uint32_t>(kept);
        if (entries[e].normal != kUnused.normal)
            entries[kept++] = entries[e];
    }
    if (kept == entries.size())
        return;
    entries.resize(kept);
    for (auto* list : {&out.front, &out.back})
        for (std::uint32_t& e : *list)
            e = renumbered[e];
}

// Makes the shared entries and the triangle lists. Entry p is the first corner met of
// position p, so that the usual corner (one that matches it) costs one look; other corners of
// the position get entries after those, chained from it. finish() then drops the entries of
// positions that no corner used.
class Builder {
  public:
    Builder(const SimpleMesh& mesh, MeshArrays& out) : out_(out) {
        out.entries = filledValues(mesh.vertices.size(), kUnused);
        next_ = filledValues(mesh.vertices.size(), kNone);
    }

    // Appends the fan of one face's corners to list; faces of fewer than three corners give
    // no triangle (as a polygon of fewer than three vertices draws nothing).
    void addFan(const std::vector<Corner>& c, std::vector<std::uint32_t>& list) {
        const std::size_t n = c.size();
        for (std::size_t k = 1; k + 1 < n; ++k) {
            pushValue(list, entry(c[k], true));
            pushValue(list, entry(c[k + 1], k + 1 == n - 1));
            pushValue(list, entry(c[0], k == 1));
        }
    }

    // Drops the unused entries, renumbering the triangle lists.
    void finish() {
        if (used_ != out_.entries.size())
            dropUnusedEntries(out_);
    }

  private:
    static bool sameCorner(const DrawEntry& e, const DrawEntry& wanted) {
        return e.normal == wanted.normal && e.texCoord == wanted.texCoord &&
               e.colour == wanted.colour && e.flag == wanted.flag && e.material == wanted.material;
    }

    std::uint32_t entry(const Corner& c, bool flag) {
        const DrawEntry wanted{c.position,
                               c.normal,
                               c.texCoord,
                               static_cast<std::uint8_t>(c.colour),
                               static_cast<std::uint8_t>(flag ? 1 : 0),
                               c.material};
        auto e = static_cast<std::uint32_t>(c.position);
        DrawEntry& first = out_.entries[e];
        if (first.normal == kUnused.normal) {
            first = wanted;
            ++used_;
            return e;
        }
        for (int searched = 0; e != kNone && searched < kSearchLimit; ++searched, e = next_[e])
            if (sameCorner(out_.entries[e], wanted))
                return e;
        // A new entry, chained right after the position's first.
        e = static_cast<std::uint32_t>(out_.entries.size());
        pushValue(out_.entries, wanted);
        const std::uint32_t second = next_[c.position];
        pushValue(next_, second);
        next_[c.position] = e;
        ++used_;
        return e;
    }

    MeshArrays& out_;
    std::vector<std::uint32_t> next_; // per entry: the next entry of its position
    std::size_t used_ = 0;            // entries that some corner uses
};

// A mesh's arrays as plain spans, read without going through the shared handles each time.
struct MeshView {
    explicit MeshView(const SimpleMesh& mesh)
        : faces(mesh.faces.get()), normalFaces(mesh.normalFaces.get()),
          texCoordFaces(mesh.texCoordFaces.get()), vertexCount(mesh.vertices.size()),
          normalCount(mesh.normals.size()), texCoordCount(mesh.texCoords.size()),
          faceVisible(mesh.faceVisible.get()), facePart(mesh.facePart.get()),
          vertexPart(mesh.vertexPart.get()), faceMaterial(mesh.faceMaterial.get()),
          materialCount(std::max<std::size_t>(1, mesh.materials.size())) {}

    // The material of face f (0 for an entry that names none).
    int material(std::size_t f) const {
        const int m = entryOr(faceMaterial, f, 0);
        return isIndex(m, materialCount) ? m : 0;
    }

    // The corners of face f whose indices are all usable; texCoords only when textured.
    void usableCorners(std::size_t f, bool textured, std::vector<Corner>& out) const {
        out.clear();
        const auto positions = faces[f];
        const auto normals = f < normalFaces.size() ? normalFaces[f] : std::span<const int>();
        const auto texCoords =
            textured && f < texCoordFaces.size() ? texCoordFaces[f] : std::span<const int>();
        for (std::size_t k = 0; k < positions.size(); ++k) {
            if (k >= normals.size() || !isIndex(positions[k], vertexCount) ||
                !isIndex(normals[k], normalCount))
                continue;
            int t = -1;
            if (textured) {
                if (k >= texCoords.size() || !isIndex(texCoords[k], texCoordCount))
                    continue;
                t = texCoords[k];
            }
            out.push_back({positions[k], normals[k], t, 0, material(f)});
        }
    }

    // Tint index of a corner of a front-pass face.
    int tintIndex(int position, bool outputShown, bool borderFace) const {
        const int part = entryOr(vertexPart, position, 0);
        if (outputShown || borderFace || part < 1 || part > 3)
            return 0;
        return part;
    }

    bool seen(std::size_t f) const { return entryOr(faceVisible, f, 1) != 0; }

    // Whether face f, met after face `before` (kNoFace: none yet), is drawn after it:
    // materials are drawn one after another, each one's faces in ascending order.
    bool drawnAfter(std::size_t f, std::size_t before) const {
        return before == SIZE_MAX || material(f) >= material(before);
    }

    const IndexLists &faces, &normalFaces, &texCoordFaces;
    std::size_t vertexCount, normalCount, texCoordCount;
    const std::vector<int>&faceVisible, &facePart, &vertexPart, &faceMaterial;
    std::size_t materialCount;
};

// Triangle lists gathered per material, then laid one after another.
struct ListsByMaterial {
    // A model of one material gets room for all its triangles at once (a face of n corners
    // gives n - 2 of them).
    ListsByMaterial(std::size_t materials, const IndexLists& faces) : lists(materials) {
        const std::size_t corners = faces.totalSize(), count = faces.size();
        if (materials == 1)
            ensureCapacity(lists[0], corners > 2 * count ? 3 * (corners - 2 * count) : 0);
    }
    // Moves the lists into out, one range per material that has triangles.
    void into(std::vector<std::uint32_t>& out, std::vector<MaterialRange>& ranges) {
        ranges.clear();
        if (lists.size() == 1) {
            out = std::move(lists[0]);
            if (!out.empty())
                ranges.push_back({0, 0, out.size()});
            return;
        }
        std::size_t total = 0;
        for (const auto& l : lists)
            total += l.size();
        out.clear();
        out.reserve(total);
        for (std::size_t m = 0; m < lists.size(); ++m) {
            if (lists[m].empty())
                continue;
            ranges.push_back({static_cast<int>(m), out.size(), lists[m].size()});
            out.insert(out.end(), lists[m].begin(), lists[m].end());
        }
    }
    std::vector<std::vector<std::uint32_t>> lists;
};

constexpr std::size_t kNoFace = SIZE_MAX;

// What the faces drawn one by one leave behind depends on these.
struct LastFaces {
    std::size_t face = kNoFace;     // the last face drawn with corners
    std::size_t seenFace = kNoFace; // the last seen face drawn with corners
    bool anySeen = false;           // whether a seen face was drawn
};

// The usual model, made without searching: its normal (and, textured, texture-coordinate)
// lists share the position lists' storage and every face drawn is a triangle, seen and, on
// the input model, on no seam (the selection state counts in the textured drawing only), so
// all corners of a position agree and each used position is one entry. Returns false, with
// out and last left empty for the general way, for any other model.
bool arraysByPosition(const SimpleMesh& mesh, const MeshView& view, bool outputShown,
                      bool hideUnseen, MeshArrays& out, LastFaces& last) {
    const bool textured = out.textured;
    if (!mesh.faceMaterial.empty() || !mesh.normalFaces.sharesWith(mesh.faces) ||
        (textured && !mesh.texCoordFaces.sharesWith(mesh.faces)))
        return false;
    const std::size_t count = std::min(
        {view.vertexCount, view.normalCount, textured ? view.texCoordCount : view.vertexCount});
    const std::uint32_t* offsets = view.faces.offsets().data();
    const int* corners = view.faces.indices().data();
    // A face this way cannot draw leaves nothing behind for the general way.
    auto giveUp = [&] {
        out.entries.clear();
        out.front.clear();
        last = {};
        return false;
    };
    out.entries = filledValues(view.vertexCount, kUnused);
    ensureCapacity(out.front, 3 * view.faces.size());
    for (std::size_t f = 0; f < view.faces.size(); ++f) {
        const bool seen = !textured || view.seen(f);
        if (!seen && hideUnseen)
            continue;
        if (!seen || (textured && !outputShown && entryOr(view.facePart, f, 0) < 0) ||
            offsets[f + 1] - offsets[f] != 3)
            return giveUp();
        const int* c = corners + offsets[f];
        for (int k = 0; k < 3; ++k) {
            if (!isIndex(c[k], count))
                return giveUp();
            const auto colour =
                static_cast<std::uint8_t>(textured ? view.tintIndex(c[k], outputShown, false) : 0);
            out.entries[c[k]] = {c[k], c[k], textured ? c[k] : -1, colour, 1, 0};
        }
        for (int k : {1, 2, 0})
            pushValue(out.front, static_cast<std::uint32_t>(c[k]));
        last = {f, f, true};
    }
    dropUnusedEntries(out); // the entries of positions that no face used
    if (!out.front.empty())
        out.frontRanges.push_back({0, 0, out.front.size()});
    return true;
}

// Whether the entries' colours differ (then each entry has one); their first colour.
void chooseColours(const SimpleMesh& mesh, MeshArrays& out) {
    out.colour =
        out.entries.empty() ? Rgba{1, 1, 1, 1} : entryColour(mesh, out.entries[0], out.textured);
    for (const DrawEntry& e : out.entries)
        if (!(entryColour(mesh, e, out.textured) == out.colour)) {
            out.colourArray = true;
            break;
        }
}

} // namespace

Rgba entryColour(const SimpleMesh& mesh, const DrawEntry& entry, bool textured) {
    const int tint = entry.colour & 3;
    if (tint != 0)
        return colourOf(entry.colour);
    Rgba colour = colourOf(entry.colour);
    if (isIndex(entry.material, mesh.materials.size())) {
        const MeshMaterial& m = mesh.materials[entry.material];
        const bool imageShown = textured && (mesh.textureOnAllFaces || m.texture != 0);
        if (!imageShown) {
            colour.r = m.diffuse.x;
            colour.g = m.diffuse.y;
            colour.b = m.diffuse.z;
        }
    }
    if (isIndex(entry.position, mesh.vertexColours.size())) {
        const Vec3& v = mesh.vertexColours[entry.position];
        colour.r *= v.x;
        colour.g *= v.y;
        colour.b *= v.z;
    }
    return colour;
}

MeshArrays texturedArrays(const SimpleMesh& mesh, bool outputShown) {
    MeshArrays out;
    out.textured = true;
    const MeshView view(mesh);
    const bool hideUnseen = mesh.hideInvisibleFaces == 1;
    out.backPass = mesh.drawBackFaces != 0;
    // The back-face pass draws the faces seen from the camera; the front pass draws those too
    // and, unless they are hidden, the unseen ones.
    bool anyUnseen = false;
    for (std::size_t f = 0; f < view.faces.size() && !anyUnseen; ++f)
        anyUnseen = !view.seen(f);
    out.backUsesFront = out.backPass && (hideUnseen || !anyUnseen);
    const bool ownBackList = out.backPass && !out.backUsesFront;

    std::vector<Corner> corners;
    LastFaces last;
    if (!arraysByPosition(mesh, view, outputShown, hideUnseen, out, last)) {
        Builder builder(mesh, out);
        ListsByMaterial front(view.materialCount, view.faces), back(view.materialCount, {});
        for (std::size_t f = 0; f < view.faces.size(); ++f) {
            const bool seen = view.seen(f);
            if (!seen && hideUnseen)
                continue;
            const bool border = entryOr(view.facePart, f, 0) < 0;
            view.usableCorners(f, true, corners);
            for (Corner& c : corners)
                c.colour =
                    view.tintIndex(c.position, outputShown, border) | (seen ? 0 : kTranslucent);
            std::vector<std::uint32_t>& frontList = front.lists[view.material(f)];
            std::vector<std::uint32_t>& backList = back.lists[view.material(f)];
            const std::size_t begin = frontList.size();
            builder.addFan(corners, frontList);
            if (ownBackList && seen) {
                ensureCapacity(backList, backList.size() + (frontList.size() - begin));
                backList.insert(backList.end(), frontList.begin() + begin, frontList.end());
            }
            if (!corners.empty()) {
                last.face = view.drawnAfter(f, last.face) ? f : last.face;
                last.seenFace = seen && view.drawnAfter(f, last.seenFace) ? f : last.seenFace;
            }
            last.anySeen = last.anySeen || seen;
        }
        front.into(out.front, out.frontRanges);
        back.into(out.back, out.backRanges);
        builder.finish();
    }
    if (out.backUsesFront)
        out.backRanges = out.frontRanges;
    // What the faces drawn one by one leave behind: the values of the last corner drawn; the
    // back-face pass then sets its grey once per seen face and (0, 0) and a normal per corner.
    if (last.face != kNoFace) {
        view.usableCorners(last.face, true, corners);
        const Corner& c = corners.back();
        out.last.colourSet = out.last.normalSet = out.last.texCoordSet = true;
        DrawEntry e{};
        e.position = c.position;
        e.material = c.material;
        e.colour = static_cast<std::uint8_t>(
            view.tintIndex(c.position, outputShown, entryOr(view.facePart, last.face, 0) < 0) |
            (view.seen(last.face) ? 0 : kTranslucent));
        out.last.colour = entryColour(mesh, e, true);
        out.last.normal = mesh.normals[c.normal];
        out.last.texCoord = mesh.texCoords[c.texCoord];
    }
    if (out.backPass && last.anySeen) {
        out.last.colourSet = true;
        out.last.colour = kBackFaceColour;
    }
    if (out.backPass && last.seenFace != kNoFace) {
        view.usableCorners(last.seenFace, true, corners);
        out.last.texCoord = {0, 0};
        out.last.normal = mesh.normals[corners.back().normal];
    }
    chooseColours(mesh, out);
    return out;
}

MeshArrays plainArrays(const SimpleMesh& mesh) {
    MeshArrays out;
    const MeshView view(mesh);
    std::vector<Corner> corners;
    LastFaces last;
    if (!arraysByPosition(mesh, view, false, false, out, last)) {
        Builder builder(mesh, out);
        ListsByMaterial front(view.materialCount, view.faces);
        for (std::size_t f = 0; f < view.faces.size(); ++f) {
            view.usableCorners(f, false, corners);
            builder.addFan(corners, front.lists[view.material(f)]);
            if (!corners.empty() && view.drawnAfter(f, last.face))
                last.face = f;
        }
        front.into(out.front, out.frontRanges);
        builder.finish();
    }
    chooseColours(mesh, out);
    // A model all white draws in the current colour, setting none.
    out.colourSet = out.colourArray || !(out.colour == Rgba{1, 1, 1, 1});
    if (last.face != kNoFace) {
        view.usableCorners(last.face, false, corners);
        out.last.normalSet = true;
        out.last.normal = mesh.normals[corners.back().normal];
        if (out.colourSet) {
            DrawEntry e{};
            e.position = corners.back().position;
            e.material = corners.back().material;
            out.last.colourSet = true;
            out.last.colour = entryColour(mesh, e, false);
        }
    }
    return out;
}

VertexLayout vertexLayout(const MeshArrays& arrays) {
    const std::size_t n = arrays.entries.size();
    VertexLayout layout;
    layout.normalAt = n * sizeof(Vec3);
    layout.texCoordAt = layout.normalAt + n * sizeof(Vec3);
    layout.colourAt = layout.texCoordAt + (arrays.textured ? n * sizeof(Vec2) : 0);
    layout.flagAt = layout.colourAt + (arrays.colourArray ? n * sizeof(Rgba) : 0);
    layout.bytes = layout.flagAt + n;
    return layout;
}

void writeVertexData(const SimpleMesh& mesh, const MeshArrays& arrays, unsigned char* out) {
    const VertexLayout layout = vertexLayout(arrays);
    auto put = [](unsigned char* at, const auto& value) { std::memcpy(at, &value, sizeof value); };
    for (std::size_t i = 0; i < arrays.entries.size(); ++i) {
        const DrawEntry& e = arrays.entries[i];
        put(out + layout.positionAt + i * sizeof(Vec3), mesh.vertices[e.position]);
        put(out + layout.normalAt + i * sizeof(Vec3), mesh.normals[e.normal]);
        if (arrays.textured)
            put(out + layout.texCoordAt + i * sizeof(Vec2), mesh.texCoords[e.texCoord]);
        if (arrays.colourArray)
            put(out + layout.colourAt + i * sizeof(Rgba), entryColour(mesh, e, arrays.textured));
        out[layout.flagAt + i] = e.flag;
    }
}
