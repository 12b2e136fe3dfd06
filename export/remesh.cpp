#include "export/remesh.h"

#include "export/export_obj.h"
#include "mesh/simple_mesh.h"
#include "platform/replace_file.h"
#include "selection/triangulate.h"

#include <iostream>

namespace {

// Writes the faces, telling progress of every stretch of them as the share from `from` to 1.
void writeFaces(ObjWriter& writer, const SimpleMesh& input, const float cameraTranslation[3],
                const StepProgress& progress, double from) {
    static constexpr int kKeep[2][3] = {{0, 1, 2}, {0, 2, 3}};
    static constexpr int kFlip[2][3] = {{0, 1, 3}, {1, 2, 3}};
    constexpr std::size_t kStretch = std::size_t{1} << 16;
    const std::size_t n = input.faces.size();
    for (std::size_t f = 0; f < n; ++f) {
        if (progress && f % kStretch == 0)
            progress("writing the faces", from + (1 - from) * double(f) / double(n));
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
                            const float cameraTranslation[3], const StepProgress& progress) {
    if (progress)
        progress("writing the vertices", 0);
    writer.header();
    writer.vertexSection(input.vertices);
    writer.texCoordSection(input.texCoords);
    writer.normalSection(input.normals);
    writeFaces(writer, input, cameraTranslation, progress, 0.3);
    writer.elements(input.faces.size());
}

int triangulateFaces(const SimpleMesh& input, const float cameraTranslation[3],
                     const std::string& folder, const StepProgress& progress) {
    const std::string path = folder + "/remesh.obj";
    std::string why = replaceFile(path, [&](const std::string& tempPath) {
        return writeObjFile(tempPath, [&](ObjWriter& writer) {
            writeTriangulatedModel(writer, input, cameraTranslation, progress);
        });
    });
    if (!why.empty()) {
        std::cerr << "triangulateFaces: cannot write " << path << ": " << why << std::endl;
        return 1;
    }
    std::cerr << "Done!" << std::endl;
    return 0;
}
