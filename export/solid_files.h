// The files of "Export Solid" in their formats: the solid as binary STL and as OBJ in the
// program's OBJ layout with one material, and that material. No OpenGL here.
#pragma once

#include "export/obj_writer.h"
#include "export/solid.h"
#include "platform/replace_file.h"

#include <string>

// The 80 bytes that open every STL file the program writes: this text, then zero bytes.
inline constexpr std::string_view kStlHeaderText = "Hollowvista relief panel, binary STL";

// Binary STL of solid into sink: the header, the triangle count, then per triangle its unit
// normal (from its winding; zero for a triangle without area), its three corners and a zero
// attribute word, numbers little-endian. False when the sink refused a block.
bool writeStl(const SolidMesh& solid, const ByteSink& sink);

// solid in the OBJ layout: header, "mtllib export_solid.mtl", the "v" and "vt" sections, an
// empty "vn" section, "usemtl export_solid", one v/t face per triangle (front corners take
// their own vertex's texture coordinate, walls and back the plate's texel), element count.
void writeSolidObj(ObjWriter& writer, const SolidMesh& solid);

// The material file: material "export_solid", white, with the picture export_solid.png.
std::string solidMaterialText();
