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

// Makes the shared entries and writes the triangle lists. The first entry of each used
// position is the plan's (positions in ascending order), so that the usual corner (one that
// matches it) costs one look; other corners of the position get entries after all of those,
// chained from it.
class Builder {
  public:
    // Room for an entry per corner is made at once: address space only, of which just the
    // pages filled become resident, so the entries never grow by copying.
    Builder(const std::vector<std::uint32_t>& entryOf, std::size_t usedPositions,
            std::size_t corners, MeshArrays& out)
        : entryOf_(entryOf), out_(out) {
        out.entries = std::vector<DrawEntry>();
        ensureCapacity(out.entries, corners);
        out.entries.assign(usedPositions, kUnused);
        ensureCapacity(next_, corners);
        next_.assign(usedPositions, kNone);
    }

    // Writes the fan of one face's corners at front, and at back too when it is not null,
    // moving them past it; faces of fewer than three corners give no triangle (as a polygon of
    // fewer than three vertices draws nothing).
    void addFan(const std::vector<Corner>& c, std::uint32_t*& front, std::uint32_t** back) {
        const std::size_t n = c.size();
        for (std::size_t k = 1; k + 1 < n; ++k) {
            const std::uint32_t triangle[3] = {entry(c[k], true), entry(c[k + 1], k + 1 == n - 1),
                                               entry(c[0], k == 1)};
            for (const std::uint32_t e : triangle) {
                *front++ = e;
                if (back)
                    *(*back)++ = e;
            }
        }
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
        const std::uint32_t first = entryOf_[c.position];
        std::uint32_t e = first;
        if (out_.entries[e].normal == kUnused.normal) {
            out_.entries[e] = wanted;
            return e;
        }
        for (int searched = 0; e != kNone && searched < kSearchLimit; ++searched, e = next_[e])
            if (sameCorner(out_.entries[e], wanted))
                return e;
        // A new entry, chained right after the position's first.
        e = static_cast<std::uint32_t>(out_.entries.size());
        pushValue(out_.entries, wanted);
        const std::uint32_t second = next_[first]; // copied: pushValue may move next_
        pushValue(next_, second);
        next_[first] = e;
        return e;
    }

    const std::vector<std::uint32_t>& entryOf_;
    MeshArrays& out_;
    std::vector<std::uint32_t> next_; // per entry: the next entry of its position
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

    // Whether the normal (and, textured, texture-coordinate) lists share the position lists'
    // storage, so that a corner is usable exactly when its one index is below sharedCount.
    bool listsShared(const SimpleMesh& mesh, bool textured) const {
        return mesh.normalFaces.sharesWith(mesh.faces) &&
               (!textured || mesh.texCoordFaces.sharesWith(mesh.faces));
    }
    std::size_t sharedCount(bool textured) const {
        return std::min({vertexCount, normalCount, textured ? texCoordCount : vertexCount});
    }

    const IndexLists &faces, &normalFaces, &texCoordFaces;
    std::size_t vertexCount, normalCount, texCoordCount;
    const std::vector<int>&faceVisible, &facePart, &vertexPart, &faceMaterial;
    std::size_t materialCount;
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
// all corners of a position agree and each used position is one entry. Writes the one list
// at front. Returns false, with out and last left empty for the general way, for any other
// model.
bool arraysByPosition(const SimpleMesh& mesh, const MeshView& view,
                      const std::vector<std::uint32_t>& entryOf, std::size_t usedPositions,
                      bool outputShown, bool hideUnseen, std::uint32_t* front, MeshArrays& out,
                      LastFaces& last) {
    const bool textured = out.textured;
    if (!mesh.faceMaterial.empty() || !view.listsShared(mesh, textured))
        return false;
    const std::size_t count = view.sharedCount(textured);
    const std::uint32_t* offsets = view.faces.offsets().data();
    const int* corners = view.faces.indices().data();
    // A face this way cannot draw leaves nothing behind for the general way.
    auto giveUp = [&] {
        out.entries = std::vector<DrawEntry>();
        last = {};
        return false;
    };
    out.entries = filledValues(usedPositions, kUnused);
    for (std::size_t f = 0; f < view.faces.size(); ++f) {
        const bool seen = !textured || view.seen(f);
        if (!seen && hideUnseen)
            continue;
        if (!seen || (textured && !outputShown && entryOr(view.facePart, f, 0) < 0) ||
            offsets[f + 1] - offsets[f] != 3)
            return giveUp();
        const int* c = corners + offsets[f];
        // All three corners first: only a face of three usable corners has entries planned.
        for (int k = 0; k < 3; ++k)
            if (!isIndex(c[k], count))
                return giveUp();
        for (int k = 0; k < 3; ++k) {
            const auto colour =
                static_cast<std::uint8_t>(textured ? view.tintIndex(c[k], outputShown, false) : 0);
            out.entries[entryOf[c[k]]] = {c[k], c[k], textured ? c[k] : -1, colour, 1, 0};
        }
        for (int k : {1, 2, 0})
            *front++ = entryOf[c[k]];
        last = {f, f, true};
    }
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

// One range per material that has triangles, laid one after another from the list's start.
std::vector<MaterialRange> rangesOf(const std::vector<std::size_t>& counts) {
    std::vector<MaterialRange> ranges;
    std::size_t first = 0;
    for (std::size_t m = 0; m < counts.size(); ++m)
        if (counts[m] > 0) {
            ranges.push_back({static_cast<int>(m), first, counts[m]});
            first += counts[m];
        }
    return ranges;
}

// Where each material's triangles start in a list at `list`.
std::vector<std::uint32_t*> startsOf(const std::vector<std::size_t>& counts, std::uint32_t* list) {
    std::vector<std::uint32_t*> starts(counts.size());
    for (std::size_t m = 0; m < counts.size(); ++m) {
        starts[m] = list;
        list += counts[m];
    }
    return starts;
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

DrawingPlan::DrawingPlan(const SimpleMesh& mesh, bool textured, bool outputShown)
    : mesh_(mesh), textured_(textured), outputShown_(outputShown) {
    const MeshView view(mesh);
    if (textured) {
        hideUnseen_ = mesh.hideInvisibleFaces == 1;
        backPass_ = mesh.drawBackFaces != 0;
        // The back-face pass draws the faces seen from the camera; the front pass draws those
        // too and, unless they are hidden, the unseen ones.
        bool anyUnseen = false;
        for (std::size_t f = 0; f < view.faces.size() && !anyUnseen; ++f)
            anyUnseen = !view.seen(f);
        backUsesFront_ = backPass_ && (hideUnseen_ || !anyUnseen);
    }
    const bool ownBackList = backPass_ && !backUsesFront_;
    front_.assign(view.materialCount, 0);
    back_.assign(view.materialCount, 0);
    // Marks the positions that triangles use, then numbers them in ascending order.
    constexpr std::uint32_t kUsed = 0;
    entryOf_ = filledValues(view.vertexCount, kNone);
    const bool shared = view.listsShared(mesh, textured);
    const std::size_t sharedCount = view.sharedCount(textured);
    std::vector<Corner> corners;
    for (std::size_t f = 0; f < view.faces.size(); ++f) {
        const bool seen = !textured || view.seen(f);
        if (!seen && hideUnseen_)
            continue;
        std::size_t usable = 0;
        if (shared) { // the corners' one index each, checked in place
            for (const int c : view.faces[f])
                usable += isIndex(c, sharedCount) ? 1 : 0;
            if (usable >= 3)
                for (const int c : view.faces[f])
                    if (isIndex(c, sharedCount))
                        entryOf_[c] = kUsed;
        } else {
            view.usableCorners(f, textured, corners);
            usable = corners.size();
            if (usable >= 3)
                for (const Corner& c : corners)
                    entryOf_[c.position] = kUsed;
        }
        if (usable < 3)
            continue;
        drawnCorners_ += usable;
        const std::size_t indices = 3 * (usable - 2);
        front_[view.material(f)] += indices;
        if (ownBackList && seen)
            back_[view.material(f)] += indices;
    }
    for (std::uint32_t& e : entryOf_)
        if (e == kUsed)
            e = static_cast<std::uint32_t>(usedPositions_++);
    for (std::size_t m = 0; m < view.materialCount; ++m) {
        frontTotal_ += front_[m];
        backTotal_ += back_[m];
    }
}

MeshArrays DrawingPlan::build(std::uint32_t* indices) const {
    const SimpleMesh& mesh = mesh_;
    const bool outputShown = outputShown_;
    MeshArrays out;
    out.textured = textured_;
    out.backPass = backPass_;
    out.backUsesFront = backUsesFront_;
    out.frontCount = frontTotal_;
    out.backCount = backTotal_;
    out.frontRanges = rangesOf(front_);
    out.backRanges = backUsesFront_ ? out.frontRanges : rangesOf(back_);
    const MeshView view(mesh);
    const bool ownBackList = backPass_ && !backUsesFront_;

    std::vector<Corner> corners;
    LastFaces last;
    if (!arraysByPosition(mesh, view, entryOf_, usedPositions_, outputShown, hideUnseen_, indices,
                          out, last)) {
        Builder builder(entryOf_, usedPositions_, drawnCorners_, out);
        std::vector<std::uint32_t*> front = startsOf(front_, indices);
        std::vector<std::uint32_t*> back = startsOf(back_, indices + frontTotal_);
        for (std::size_t f = 0; f < view.faces.size(); ++f) {
            const bool seen = !textured_ || view.seen(f);
            if (!seen && hideUnseen_)
                continue;
            view.usableCorners(f, textured_, corners);
            if (textured_) {
                const bool border = entryOr(view.facePart, f, 0) < 0;
                for (Corner& c : corners)
                    c.colour =
                        view.tintIndex(c.position, outputShown, border) | (seen ? 0 : kTranslucent);
            }
            const int m = view.material(f);
            builder.addFan(corners, front[m], ownBackList && seen ? &back[m] : nullptr);
            if (!corners.empty()) {
                last.face = view.drawnAfter(f, last.face) ? f : last.face;
                last.seenFace = seen && view.drawnAfter(f, last.seenFace) ? f : last.seenFace;
            }
            last.anySeen = last.anySeen || seen;
        }
    }
    chooseColours(mesh, out);
    if (!textured_) {
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
    return out;
}

namespace {

MeshArrays arraysWithLists(const DrawingPlan& plan) {
    std::vector<std::uint32_t> indices(plan.indexCount());
    MeshArrays out = plan.build(indices.data());
    out.indices = std::move(indices);
    return out;
}

} // namespace

MeshArrays texturedArrays(const SimpleMesh& mesh, bool outputShown) {
    return arraysWithLists(DrawingPlan(mesh, true, outputShown));
}

MeshArrays plainArrays(const SimpleMesh& mesh) {
    return arraysWithLists(DrawingPlan(mesh, false, false));
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
