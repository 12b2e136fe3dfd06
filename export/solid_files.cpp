#include "export/solid_files.h"

#include "platform/replace_file.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace {

// Bytes gathered before they reach the sink.
constexpr std::size_t kBlockBytes = 1 << 20;

// value as four bytes, least significant first, at out.
void put32(char* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[i] = char(value >> (8 * i) & 0xFF);
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
    block.resize(84, '\0');
    put32(&block[80], std::uint32_t(solid.triangles.size()));
    block.reserve(kBlockBytes + 50);
    for (const auto& t : solid.triangles) {
        const Vec3 &a = solid.vertices[t[0]], &b = solid.vertices[t[1]], &c = solid.vertices[t[2]];
        const Vec3 n = unitNormal(a, b, c);
        const float record[12] = {n.x, n.y, n.z, a.x, a.y, a.z, b.x, b.y, b.z, c.x, c.y, c.z};
        const std::size_t at = block.size();
        block.resize(at + 50, '\0'); // the attribute word stays 0
        for (int i = 0; i < 12; ++i)
            put32(&block[at + 4 * i], std::bit_cast<std::uint32_t>(record[i]));
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
