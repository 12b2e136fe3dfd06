// The converted model with its look as binary glTF 2.0 (data/export.glb): the export's
// triangles in the model's coordinates, one primitive per material, each material's colour and
// its image embedded as PNG. No OpenGL here: the images come in as PNG bytes.
#pragma once

#include "export/mesh_pair.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class SimpleMesh;

// One material of the exported model, as glTF gives it.
struct GlbMaterial {
    std::string name;
    std::array<float, 4> baseColour{1, 1, 1, 1};
    int image = -1; // index into the images handed to glbFile, -1 for none
};

// Writes the binary glTF file of output's export faces (forEachExportFace with pairs, built
// before), triangulated: a pair's triangle as it is, a four-cornered face split along the diagonal
// that "Triangulate Faces" chooses for cameraTranslation, a larger one as a fan from its first
// corner. Corners naming no vertex leave their triangle out; a corner without a texture
// coordinate takes (0, 0), one without a normal its triangle's own. Texture coordinates are
// turned to glTF's convention (v = 0 at the top of the picture). Faces take materials[their
// material] (material 0 when they name none there); pngImages holds the PNG files the
// materials name. materials must not be empty. The file goes to sink in pieces, its large
// arrays straight from where they were made (no copy of the whole file is held); returns false
// as soon as sink does.
bool writeGlbFile(const SimpleMesh& output, const std::vector<MeshPair>& pairs,
                  const float cameraTranslation[3], const std::vector<GlbMaterial>& materials,
                  const std::vector<std::string>& pngImages,
                  const std::function<bool(std::string_view)>& sink);

// name as valid UTF-8: kept when it is, else read as Latin-1.
std::string utf8Name(const std::string& name);
