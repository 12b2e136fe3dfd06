// "Export Solid": the output model seen from a camera becomes a closed relief panel, written
// as folder/export_solid.stl, .obj, .mtl and .png.
#pragma once

#include <functional>
#include <string>

class SimpleMesh;

// The plate's colour: the picture's background, and the walls and back of the OBJ model.
inline constexpr unsigned char kPlateColour[3] = {204, 204, 204};

// Draws model (filled, as the 3-D window shows it, without the wire cube, on the plate's
// colour) into an offscreen image of width x height pixels under the camera applyProjection
// loads, with the viewport (-width, -height, 3 width, 3 height) that the window uses, so the
// image is the window's view enlarged. Builds the solid of its depth (see buildSolid, with
// tolerance as SolidOptions takes it) and
// replaces the STL, OBJ, MTL and PNG files together (a failure leaves all four as they were;
// folder is made when missing). Prints "exportSolid: V vertices, T triangles, size X x Y x Z,
// volume U" on standard output and returns 0; else prints one line "exportSolid: ..." on
// standard error and returns 1.
int exportSolid(const SimpleMesh& model, int width, int height,
                const std::function<void()>& applyProjection, double tolerance,
                const std::string& folder = "data");
