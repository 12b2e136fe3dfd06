#include "tests/fuzz/session_file_check.h"

#include "app/session_file.h"

namespace {

SimpleMesh smallModel() {
    SimpleMesh m;
    m.vertices = std::vector<Vec3>{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    m.normals = std::vector<Vec3>{{0, 0, 1}};
    m.texCoords = std::vector<Vec2>{{0, 0}, {1, 1}};
    m.faces = IndexLists{{0, 1, 2}, {0, 2, 3}};
    m.normalFaces = IndexLists{{0, 0, 0}, {0, 0, 0}};
    m.texCoordFaces = IndexLists{{0, 1, 1}, {0, 1, 0}};
    m.faceVisible = std::vector<int>(2, 1);
    m.facePart = std::vector<int>(2, 0);
    m.vertexPart = std::vector<int>(4, 0);
    m.vertexInPart = std::vector<int>(4, 0);
    return m;
}

bool within(const IndexLists& lists, std::size_t count) {
    for (const int i : lists.indices())
        if (i < 0 || static_cast<std::size_t>(i) >= count)
            return false;
    return true;
}

} // namespace

std::string checkSessionFile(std::string_view text) {
    std::string error;
    const std::optional<SessionData> data = parseSessionText(std::string(text), error);
    if (!data)
        return error.empty() ? "a refusal without a reason" : "";
    const std::string written = sessionText(*data);
    std::string again;
    const std::optional<SessionData> reread = parseSessionText(written, again);
    if (!reread)
        return "its own text does not read: " + again;
    if (sessionText(*reread) != written)
        return "its own text reads to other data";
    SimpleMesh input = smallModel();
    SimpleMesh output = input;
    if (!decodeMeshArrays(data->arrays, input, output).empty())
        return "";
    for (const SimpleMesh* m : {&input, &output}) {
        if (m->faceVisible.size() != 2 || m->facePart.size() != 2 || m->vertexPart.size() != 4 ||
            m->vertexInPart.size() != 4 || m->faces.size() != 2)
            return "arrays that fit left a count other than the model's";
        if (!within(m->faces, m->vertices.size()) || !within(m->normalFaces, m->normals.size()) ||
            !within(m->texCoordFaces, m->texCoords.size()))
            return "a face names a point the model does not have";
    }
    return "";
}
