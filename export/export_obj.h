// The model file of an export: the converted model in the OBJ output layout, with the
// triangles of the part borders written along the diagonals that the pair scoring chose.
#pragma once

#include "export/mesh_pair.h"
#include "export/obj_writer.h"

#include <functional>
#include <iostream>
#include <span>
#include <string>
#include <vector>

class SimpleMesh;

// Writes output (the converted model) into writer: header, "v", "vt" and "vn" sections,
// then rebuilds pairs with buildMeshPairs(input, output, partCompression, pairs, log), takes
// the pairs from the highest score down, printing "f[a, b] : score" on log for each, writes
// each pair whose faces are both still unwritten (flipped: q0 q1 q3 and q1 q2 q3; else faces
// a and b), then every other face whose faceVisible is at least 1, then the element count of
// all faces.
void writeExport(ObjWriter& writer, const SimpleMesh& input, const SimpleMesh& output,
                 const float partCompression[4], std::vector<MeshPair>& pairs,
                 std::ostream& log = std::cout);

// The faces of an export in the order they are written, pairs already built: each pair whose
// faces are both still unwritten (flipped: corners q0 q1 q3 and q1 q2 q3; else the first three
// corners of faces a and b), then every other face whose faceVisible is at least 1 with all its
// corners. visit receives the output model's face each comes from and its corners.
void forEachExportFace(const SimpleMesh& output, const std::vector<MeshPair>& pairs,
                       const std::function<void(int, std::span<const ObjCorner>)>& visit);

// Runs write on an ObjWriter that fills the file tempPath; returns "" or why it failed.
std::string writeObjFile(const std::string& tempPath, const std::function<void(ObjWriter&)>& write);
