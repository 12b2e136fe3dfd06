// The "Export" command: the converted model as folder/export.obj and a snapshot of the view
// as its texture folder/export.bmp, and the converted model with its own look (materials,
// colours, images) as binary glTF, folder/export.glb.
#pragma once

#include "export/mesh_pair.h"
#include "mesh/step_progress.h"

#include <array>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

class SimpleMesh;

// Writes folder/export.obj from output (see writeExport; pairs rebuilt, pair lines on trace), then
// folder/export.bmp from a width x height snapshot of the current OpenGL context taken right after
// renderView (see saveSnapshot), then folder/export.glb (see glbFile; quads split for
// cameraTranslation as "Triangulate Faces" splits them, the images read back from the textures
// shown), then prints "Done!" on standard error and returns 0. Creates folder when missing. When a
// file cannot be written it prints "exportModel: cannot write PATH: REASON" on standard error and
// returns 1; the files that were there before are left untouched (they are replaced together or not
// at all). progress is told each file's step as it starts and how far the export has come.
int exportModel(const SimpleMesh& input, const SimpleMesh& output, const float partCompression[4],
                std::vector<MeshPair>& pairs, int width, int height,
                const std::function<void()>& renderView, const std::string& folder = "data",
                const std::array<float, 3>& cameraTranslation = {0, 0, 0},
                std::ostream& trace = std::cout, const StepProgress& progress = {});
