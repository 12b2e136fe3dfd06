#include "export/gltf_export.h"

#include "export/export_obj.h"
#include "mesh/simple_mesh.h"
#include "selection/triangulate.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <unordered_map>

namespace {

// One vertex of the file: a corner's position, normal and texture coordinate.
struct CornerKey {
    int vertex, texCoord, normal;
    bool operator==(const CornerKey&) const = default;
};
struct CornerHash {
    std::size_t operator()(const CornerKey& k) const {
        return std::hash<std::uint64_t>()((std::uint64_t(std::uint32_t(k.vertex)) << 32) ^
                                          (std::uint64_t(std::uint32_t(k.texCoord)) << 16) ^
                                          std::uint32_t(k.normal));
    }
};

// The vertex arrays and per-material triangle lists of the file.
class Geometry {
  public:
    Geometry(const SimpleMesh& mesh, std::size_t materials) : indices(materials), mesh_(mesh) {}

    // Adds the triangle of corners a, b, c of a face of material m.
    void triangle(const ObjCorner& a, const ObjCorner& b, const ObjCorner& c, std::size_t m) {
        const ObjCorner corners[3] = {a, b, c};
        for (const ObjCorner& k : corners)
            if (!isIndex(k.vertex, mesh_.vertices.size()))
                return;
        const int faceCorners[3] = {a.vertex, b.vertex, c.vertex};
        bool ownNormal = false;
        for (const ObjCorner& k : corners)
            ownNormal = ownNormal || !isIndex(k.normal, mesh_.normals.size());
        const Vec3 own = ownNormal ? unitFaceNormal(faceCorners, mesh_.vertices.get()) : Vec3{};
        for (const ObjCorner& k : corners)
            indices[m].push_back(vertex(k, own));
    }

    // Lets go of the table of the vertices made so far, once every triangle is in.
    void finish() { seen_ = {}; }

    std::vector<float> positions, normals, texCoords;
    std::vector<std::vector<std::uint32_t>> indices; // per material
    float min[3] = {0, 0, 0}, max[3] = {0, 0, 0};

  private:
    std::uint32_t vertex(const ObjCorner& k, const Vec3& own) {
        const int t = isIndex(k.texCoord, mesh_.texCoords.size()) ? k.texCoord : -1;
        const bool fileNormal = isIndex(k.normal, mesh_.normals.size());
        const auto count = static_cast<std::uint32_t>(positions.size() / 3);
        // A normal of the triangle's own belongs to it alone.
        if (fileNormal) {
            const auto [at, fresh] = seen_.try_emplace(CornerKey{k.vertex, t, k.normal}, count);
            if (!fresh)
                return at->second;
        }
        const Vec3& p = mesh_.vertices[k.vertex];
        const Vec3 n = fileNormal ? mesh_.normals[k.normal] : own;
        const Vec2 uv = t >= 0 ? mesh_.texCoords[t] : Vec2{0, 0};
        const float xyz[3] = {p.x, p.y, p.z};
        for (int i = 0; i < 3; ++i) {
            min[i] = count == 0 ? xyz[i] : std::min(min[i], xyz[i]);
            max[i] = count == 0 ? xyz[i] : std::max(max[i], xyz[i]);
        }
        positions.insert(positions.end(), {p.x, p.y, p.z});
        normals.insert(normals.end(), {n.x, n.y, n.z});
        texCoords.insert(texCoords.end(), {uv.u, 1.0f - uv.v});
        return count;
    }

    const SimpleMesh& mesh_;
    std::unordered_map<CornerKey, std::uint32_t, CornerHash> seen_;
};

Geometry exportGeometry(const SimpleMesh& output, const std::vector<MeshPair>& pairs,
                        const float cameraTranslation[3], std::size_t materials) {
    Geometry g(output, materials);
    forEachExportFace(output, pairs, [&](int f, std::span<const ObjCorner> c) {
        const int m = materialOf(output, f);
        const std::size_t material = isIndex(m, materials) ? std::size_t(m) : 0;
        if (c.size() == 4) {
            const int q[4] = {c[0].vertex, c[1].vertex, c[2].vertex, c[3].vertex};
            if (chooseQuadDiagonal(output, q, cameraTranslation)) {
                g.triangle(c[0], c[1], c[3], material);
                g.triangle(c[1], c[2], c[3], material);
            } else {
                g.triangle(c[0], c[1], c[2], material);
                g.triangle(c[0], c[2], c[3], material);
            }
            return;
        }
        for (std::size_t k = 1; k + 1 < c.size(); ++k)
            g.triangle(c[0], c[k], c[k + 1], material);
    });
    g.finish();
    return g;
}

// A JSON text built piece by piece.
class Json {
  public:
    Json& raw(std::string_view s) {
        text.append(s);
        return *this;
    }
    Json& number(double value) {
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
        text.append(buffer, end);
        return *this;
    }
    Json& number(float value) {
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
        text.append(buffer, end);
        return *this;
    }
    Json& number(std::size_t value) { return number(static_cast<double>(value)); }
    Json& string(const std::string& s) {
        text += '"';
        for (const char c : utf8Name(s)) {
            if (c == '"' || c == '\\') {
                text += '\\';
                text += c;
            } else if (static_cast<unsigned char>(c) < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                text += buffer;
            } else {
                text += c;
            }
        }
        text += '"';
        return *this;
    }
    std::string text;
};

// The binary chunk: byte views laid out at four-byte boundaries, zeros between them. The views
// name the arrays they show, which are written from where they are (no copy of the chunk).
struct Binary {
    struct View {
        const char* data;
        std::size_t offset, length;
        int target; // 0: none (an image)
    };
    std::size_t add(const void* data, std::size_t length, int target) {
        size = aligned(size);
        views.push_back({static_cast<const char*>(data), size, length, target});
        size += length;
        return views.size() - 1;
    }
    static std::size_t aligned(std::size_t n) { return (n + 3) / 4 * 4; }
    // Writes the views with the zeros between them and after the last, up to size, to sink.
    bool write(const std::function<bool(std::string_view)>& sink) const {
        static constexpr char zeros[4] = {};
        std::size_t at = 0;
        for (const View& v : views) {
            if (!sink({zeros, v.offset - at}) || !sink({v.data, v.length}))
                return false;
            at = v.offset + v.length;
        }
        return sink({zeros, size - at});
    }
    std::size_t size = 0;
    std::vector<View> views;
};

void put32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((value >> (8 * i)) & 255);
}

} // namespace

std::string utf8Name(const std::string& name) {
    std::size_t i = 0;
    bool valid = true;
    while (i < name.size() && valid) {
        const auto c = static_cast<unsigned char>(name[i]);
        const int extra = c < 0x80         ? 0
                          : (c >> 5) == 6  ? 1
                          : (c >> 4) == 14 ? 2
                          : (c >> 3) == 30 ? 3
                                           : -1;
        valid = extra >= 0 && i + extra < name.size();
        for (int k = 1; valid && k <= extra; ++k)
            valid = (static_cast<unsigned char>(name[i + k]) >> 6) == 2;
        i += valid ? extra + 1 : 0;
    }
    if (valid)
        return name;
    std::string out;
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

bool writeGlbFile(const SimpleMesh& output, const std::vector<MeshPair>& pairs,
                  const float cameraTranslation[3], const std::vector<GlbMaterial>& materials,
                  const std::vector<std::string>& pngImages,
                  const std::function<bool(std::string_view)>& sink) {
    const Geometry g = exportGeometry(output, pairs, cameraTranslation, materials.size());
    const std::size_t vertexCount = g.positions.size() / 3;
    Binary bin;
    Json json;
    json.raw(R"({"asset":{"version":"2.0","generator":"Hollowvista"},"scene":0,)");
    bool anyTriangle = false;
    for (const auto& list : g.indices)
        anyTriangle = anyTriangle || !list.empty();
    if (!anyTriangle) {
        json.raw(R"("scenes":[{}]})");
    } else {
        const std::size_t positions = bin.add(g.positions.data(), g.positions.size() * 4, 34962);
        const std::size_t normals = bin.add(g.normals.data(), g.normals.size() * 4, 34962);
        const std::size_t texCoords = bin.add(g.texCoords.data(), g.texCoords.size() * 4, 34962);
        Json accessors;
        accessors.raw("[");
        auto accessor = [&](std::size_t view, std::size_t count, int component, const char* type) {
            accessors.raw(accessors.text.size() > 1 ? "," : "")
                .raw(R"({"bufferView":)")
                .number(view)
                .raw(R"(,"componentType":)")
                .number(std::size_t(component))
                .raw(R"(,"count":)")
                .number(count)
                .raw(R"(,"type":")")
                .raw(type)
                .raw("\"");
        };
        accessor(positions, vertexCount, 5126, "VEC3");
        accessors.raw(R"(,"min":[)");
        for (int i = 0; i < 3; ++i)
            accessors.raw(i ? "," : "").number(g.min[i]);
        accessors.raw(R"(],"max":[)");
        for (int i = 0; i < 3; ++i)
            accessors.raw(i ? "," : "").number(g.max[i]);
        accessors.raw("]}");
        accessor(normals, vertexCount, 5126, "VEC3");
        accessors.raw("}");
        accessor(texCoords, vertexCount, 5126, "VEC2");
        accessors.raw("}");
        Json primitives;
        std::size_t accessorCount = 3;
        for (std::size_t m = 0; m < g.indices.size(); ++m) {
            if (g.indices[m].empty())
                continue;
            const std::size_t view = bin.add(g.indices[m].data(), g.indices[m].size() * 4, 34963);
            accessor(view, g.indices[m].size(), 5125, "SCALAR");
            accessors.raw("}");
            primitives.raw(primitives.text.empty() ? "" : ",")
                .raw(R"({"attributes":{"POSITION":0,"NORMAL":1,"TEXCOORD_0":2},"indices":)")
                .number(accessorCount++)
                .raw(R"(,"material":)")
                .number(m)
                .raw(R"(,"mode":4})");
        }
        accessors.raw("]");
        json.raw(R"("scenes":[{"nodes":[0]}],"nodes":[{"mesh":0}],"meshes":[{"primitives":[)")
            .raw(primitives.text)
            .raw("]}],")
            .raw(R"("accessors":)")
            .raw(accessors.text)
            .raw(",");
    }
    json.raw(R"("materials":[)");
    for (std::size_t m = 0; m < materials.size(); ++m) {
        const GlbMaterial& material = materials[m];
        json.raw(m ? "," : "").raw(R"({"name":)").string(material.name);
        json.raw(R"(,"pbrMetallicRoughness":{"baseColorFactor":[)");
        for (int i = 0; i < 4; ++i)
            json.raw(i ? "," : "").number(material.baseColour[i]);
        json.raw("]");
        if (isIndex(material.image, pngImages.size()))
            json.raw(R"(,"baseColorTexture":{"index":)")
                .number(std::size_t(material.image))
                .raw("}");
        json.raw(R"(,"metallicFactor":0,"roughnessFactor":1}})");
    }
    json.raw("]");
    if (!pngImages.empty()) {
        json.raw(
            R"(,"samplers":[{"magFilter":9729,"minFilter":9729,"wrapS":33071,"wrapT":33071}],"textures":[)");
        for (std::size_t i = 0; i < pngImages.size(); ++i)
            json.raw(i ? "," : "").raw(R"({"sampler":0,"source":)").number(i).raw("}");
        json.raw(R"(],"images":[)");
        for (std::size_t i = 0; i < pngImages.size(); ++i) {
            const std::size_t view = bin.add(pngImages[i].data(), pngImages[i].size(), 0);
            json.raw(i ? "," : "")
                .raw(R"({"bufferView":)")
                .number(view)
                .raw(R"(,"mimeType":"image/png"})");
        }
        json.raw("]");
    }
    bin.size = Binary::aligned(bin.size);
    if (!bin.views.empty()) {
        json.raw(R"(,"bufferViews":[)");
        for (std::size_t i = 0; i < bin.views.size(); ++i) {
            const Binary::View& v = bin.views[i];
            json.raw(i ? "," : "").raw(R"({"buffer":0,"byteOffset":)").number(v.offset);
            json.raw(R"(,"byteLength":)").number(v.length);
            if (v.target != 0)
                json.raw(R"(,"target":)").number(std::size_t(v.target));
            json.raw("}");
        }
        json.raw(R"(],"buffers":[{"byteLength":)").number(bin.size).raw("}]");
    }
    json.raw("}");
    while (json.text.size() % 4 != 0)
        json.text += ' ';

    std::string head;
    const std::size_t total = 12 + 8 + json.text.size() + (bin.size == 0 ? 0 : 8 + bin.size);
    head += "glTF";
    put32(head, 2);
    put32(head, static_cast<std::uint32_t>(total));
    put32(head, static_cast<std::uint32_t>(json.text.size()));
    head += "JSON";
    if (!sink(head) || !sink(json.text))
        return false;
    if (bin.size == 0)
        return true;
    std::string binHead;
    put32(binHead, static_cast<std::uint32_t>(bin.size));
    binHead.append("BIN\0", 4);
    return sink(binHead) && bin.write(sink);
}
