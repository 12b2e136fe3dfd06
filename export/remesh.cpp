#include "export/remesh.h"

#include "export/export_obj.h"
#include "mesh/simple_mesh.h"
#include "platform/replace_file.h"
#include "selection/triangulate.h"

#include <iostream>

namespace {

void writeFaces(ObjWriter& writer, const SimpleMesh& input, const float cameraTranslation[3]) {
    static constexpr int kKeep[2][3] = {{0, 1, 2}, {0, 2, 3}};
    static constexpr int kFlip[2][3] = {{0, 1, 3}, {1, 2, 3}};
    for (std::size_t f = 0; f < input.faces.size(); ++f) {
        int visible = f < input.faceVisible.size() ? input.faceVisible[f] : 1;
        if (visible < 1)
            continue;
        std::span<const int> corners = input.faces[f];
        if (corners.size() != 4) {
            writer.meshFace(input, f);
            continue;
        }
        const int q[4] = {corners[0], corners[1], corners[2], corners[3]};
        const auto& split = chooseQuadDiagonal(input, q, cameraTranslation) ? kFlip : kKeep;
        writer.meshFace(input, f, split[0]);
        writer.meshFace(input, f, split[1]);
    }
}

} // namespace

void writeTriangulatedModel(ObjWriter& writer, const SimpleMesh& input,
                            const float cameraTranslation[3]) {
    writer.header();
    writer.vertexSection(input.vertices);
    writer.texCoordSection(input.texCoords);
    writer.normalSection(input.normals);
    writeFaces(writer, input, cameraTranslation);
    writer.elements(input.faces.size());
}

int triangulateFaces(const SimpleMesh& input, const float cameraTranslation[3],
                     const std::string& folder) {
    const std::string path = folder + "/remesh.obj";
    std::string why = replaceFile(path, [&](const std::string& tempPath) {
        return writeObjFile(tempPath, [&](ObjWriter& writer) {
            writeTriangulatedModel(writer, input, cameraTranslation);
        });
    });
    if (!why.empty()) {
        std::cerr << "triangulateFaces: cannot write " << path << ": " << why << std::endl;
        return 1;
    }
    std::cerr << "Done!" << std::endl;
    return 0;
}
