// "Export Solid": the output model seen from a camera becomes a closed relief panel, written
// as folder/export_solid.stl, .obj, .mtl and .png.
#pragma once

#include <functional>
#include <string>

class SimpleMesh;

// The plate's colour: the picture's background, and the walls and back of the OBJ model.
inline constexpr unsigned char kPlateColour[3] = {204, 204, 204};

// What "Export Solid" draws: the output model, the input model it was made from and how the
// 3-D window showed them (its size, and whether back faces counted as visible).
struct SolidSource {
    const SimpleMesh& model;
    const SimpleMesh& input;
    bool backFace = false;
    int windowWidth = 0, windowHeight = 0;
    // Told the name of each step as it starts and how far the export has come (0 .. 1).
    std::function<void(const char* step, double fraction)> progress = [](const char*, double) {};
};

// Draws source.model (filled, as the 3-D window shows it, without the wire cube, on the
// plate's colour) into an offscreen image of width x height pixels (the window's size times
// scale) under the camera applyProjection loads, with the viewport (-width, -height, 3 width,
// 3 height) that the window uses, so the image is the window's view enlarged. Faces too small
// to own a pixel of the window, which the window leaves out of the output model, are drawn
// when they own one of the larger image (else they would leave pinholes down to the plate). Builds
// the solid of its depth (see buildSolid, with tolerance as SolidOptions takes it) and replaces the
// STL, OBJ, MTL and PNG files together (a failure leaves all four as they were; folder is made when
// missing). Prints "exportSolid: V vertices, T triangles, size X x Y x Z, volume U" on standard
// output and returns 0; else prints one line "exportSolid: ..." on standard error and returns 1.
int exportSolid(const SolidSource& source, int scale, const std::function<void()>& applyProjection,
                double tolerance, const std::string& folder = "data");
