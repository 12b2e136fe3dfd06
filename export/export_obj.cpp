#include "export/export_obj.h"

#include "mesh/simple_mesh.h"
#include "platform/replace_file.h"

namespace {

// Writes one record of the pair pass; marks its faces written.
void writePair(ObjWriter& writer, const SimpleMesh& output, const MeshPair& pair,
               std::vector<char>& faceWritten) {
    if (pair.faceA < 0 || std::size_t(pair.faceB) >= faceWritten.size())
        return; // a record from a model with other faces; it names nothing here
    if (faceWritten[pair.faceA] || faceWritten[pair.faceB])
        return;
    if (pair.flipped) {
        ObjCorner q[4];
        for (int k = 0; k < 4; ++k)
            q[k] = {pair.quadVertex[k], pair.quadTexCoord[k], pair.quadNormal[k]};
        const ObjCorner first[3] = {q[0], q[1], q[3]}, second[3] = {q[1], q[2], q[3]};
        writer.face(first);
        writer.face(second);
    } else {
        static constexpr int kTriangle[3] = {0, 1, 2};
        writer.meshFace(output, pair.faceA, kTriangle);
        writer.meshFace(output, pair.faceB, kTriangle);
    }
    faceWritten[pair.faceA] = faceWritten[pair.faceB] = 1;
}

} // namespace

void writeExport(ObjWriter& writer, const SimpleMesh& input, const SimpleMesh& output,
                 const float partCompression[4], std::vector<MeshPair>& pairs, std::ostream& log) {
    writer.header();
    writer.vertexSection(output.vertices);
    writer.texCoordSection(output.texCoords);
    writer.normalSection(output.normals);
    buildMeshPairs(input, output, partCompression, pairs, log);

    const std::size_t faceCount = output.faces.size();
    std::vector<char> faceWritten(faceCount, 0);
    for (const MeshPair& pair : pairs) { // already in descending score order
        log << "f[" << pair.faceA << ", " << pair.faceB << "] : " << pair.score << '\n';
        writePair(writer, output, pair, faceWritten);
    }
    log.flush();
    for (std::size_t f = 0; f < faceCount; ++f) {
        int visible = f < output.faceVisible.size() ? output.faceVisible[f] : 1;
        if (visible >= 1 && !faceWritten[f])
            writer.meshFace(output, f);
    }
    writer.elements(faceCount);
}

std::string writeObjFile(const std::string& tempPath,
                         const std::function<void(ObjWriter&)>& write) {
    return writeFileThrough(tempPath, [&](const ByteSink& sink) {
        ObjWriter writer(sink);
        write(writer);
        return writer.finish();
    });
}
