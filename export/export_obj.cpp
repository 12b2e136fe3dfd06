#include "export/export_obj.h"

#include "mesh/simple_mesh.h"
#include "platform/replace_file.h"

void forEachExportFace(const SimpleMesh& output, const std::vector<MeshPair>& pairs,
                       const std::function<void(int, std::span<const ObjCorner>)>& visit) {
    const std::size_t faceCount = output.faces.size();
    std::vector<char> faceWritten(faceCount, 0);
    std::vector<ObjCorner> corners;
    auto meshFace = [&](std::size_t f, std::size_t count) {
        corners.clear();
        for (std::size_t k = 0; k < count; ++k)
            corners.push_back(meshCorner(output, f, k));
        visit(static_cast<int>(f), corners);
    };
    for (const MeshPair& pair : pairs) { // already in descending score order
        if (pair.faceA < 0 || std::size_t(pair.faceB) >= faceCount)
            continue; // a record from a model with other faces; it names nothing here
        if (faceWritten[pair.faceA] || faceWritten[pair.faceB])
            continue;
        if (pair.flipped) {
            ObjCorner q[4];
            for (int k = 0; k < 4; ++k)
                q[k] = {pair.quadVertex[k], pair.quadTexCoord[k], pair.quadNormal[k]};
            const ObjCorner first[3] = {q[0], q[1], q[3]}, second[3] = {q[1], q[2], q[3]};
            visit(pair.faceA, first);
            visit(pair.faceB, second);
        } else {
            meshFace(pair.faceA, 3);
            meshFace(pair.faceB, 3);
        }
        faceWritten[pair.faceA] = faceWritten[pair.faceB] = 1;
    }
    for (std::size_t f = 0; f < faceCount; ++f) {
        int visible = f < output.faceVisible.size() ? output.faceVisible[f] : 1;
        if (visible >= 1 && !faceWritten[f])
            meshFace(f, output.faces[f].size());
    }
}

void writeExport(ObjWriter& writer, const SimpleMesh& input, const SimpleMesh& output,
                 const float partCompression[4], std::vector<MeshPair>& pairs, std::ostream& log) {
    writer.header();
    writer.vertexSection(output.vertices);
    writer.texCoordSection(output.texCoords);
    writer.normalSection(output.normals);
    buildMeshPairs(input, output, partCompression, pairs, log);
    for (const MeshPair& pair : pairs)
        log << "f[" << pair.faceA << ", " << pair.faceB << "] : " << pair.score << '\n';
    log.flush();
    forEachExportFace(output, pairs,
                      [&](int, std::span<const ObjCorner> corners) { writer.face(corners); });
    writer.elements(output.faces.size());
}

std::string writeObjFile(const std::string& tempPath,
                         const std::function<void(ObjWriter&)>& write) {
    return writeFileThrough(tempPath, [&](const ByteSink& sink) {
        ObjWriter writer(sink);
        write(writer);
        return writer.finish();
    });
}
