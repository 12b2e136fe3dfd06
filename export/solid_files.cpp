#include "export/solid_files.h"

#include "platform/replace_file.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace {

// Bytes gathered before they reach the sink.
constexpr std::size_t kBlockBytes = 1 << 20;

void put32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out += char(value >> (8 * i) & 0xFF);
}

void putFloat(std::string& out, float value) {
    put32(out, std::bit_cast<std::uint32_t>(value));
}

Vec3 unitNormal(const Vec3& a, const Vec3& b, const Vec3& c) {
    const Vec3d n = cross(widen(b) - widen(a), widen(c) - widen(a));
    const double size = length(n);
    if (!(size > 0))
        return {};
    return {float(n.x / size), float(n.y / size), float(n.z / size)};
}

} // namespace

bool writeStl(const SolidMesh& solid, const ByteSink& sink) {
    std::string block(kStlHeaderText);
    block.resize(80, '\0');
    put32(block, std::uint32_t(solid.triangles.size()));
    for (const auto& t : solid.triangles) {
        const Vec3 &a = solid.vertices[t[0]], &b = solid.vertices[t[1]], &c = solid.vertices[t[2]];
        const Vec3 n = unitNormal(a, b, c);
        for (const Vec3& v : {n, a, b, c}) {
            putFloat(block, v.x);
            putFloat(block, v.y);
            putFloat(block, v.z);
        }
        block += std::string_view("\0\0", 2);
        if (block.size() >= kBlockBytes) {
            if (!sink(block))
                return false;
            block.clear();
        }
    }
    return sink(block);
}

void writeSolidObj(ObjWriter& writer, const SolidMesh& solid) {
    writer.header();
    writer.line("mtllib export_solid.mtl");
    writer.line("");
    writer.vertexSection(solid.vertices);
    writer.texCoordSection(solid.texCoords);
    writer.normalSection({});
    writer.line("usemtl export_solid");
    const int plate = int(solid.texCoords.size()) - 1;
    for (std::size_t i = 0; i < solid.triangles.size(); ++i) {
        const auto& t = solid.triangles[i];
        const bool front = i < solid.frontTriangles;
        const ObjCorner corners[3] = {{t[0], front ? t[0] : plate},
                                      {t[1], front ? t[1] : plate},
                                      {t[2], front ? t[2] : plate}};
        writer.face(corners);
    }
    writer.elements(solid.triangles.size());
}

std::string solidMaterialText() {
    return "# Created by HollowvistaConverter\n"
           "newmtl export_solid\n"
           "Ka 1.000000 1.000000 1.000000\n"
           "Kd 1.000000 1.000000 1.000000\n"
           "Ks 0.000000 0.000000 0.000000\n"
           "d 1.000000\n"
           "illum 1\n"
           "map_Kd export_solid.png\n";
}
