// "Triangulate Faces": the visible faces of the input model with every four-cornered face
// split into the two triangles that face the viewer better, written as folder/remesh.obj.
#pragma once

#include "mesh/step_progress.h"

#include <string>

class ObjWriter;
class SimpleMesh;

// The text of folder/remesh.obj, handed to writer: header, all positions, texture
// coordinates and normals, then each face whose faceVisible is at least 1 in index order, a
// quad as two triangles along chooseQuadDiagonal ((q0 q1 q2)(q0 q2 q3) or (q0 q1 q3)
// (q1 q2 q3)), any other face as it is, then the element count of all faces.
// progress is told each step's name as it starts and how far the writing has come (0 .. 1).
void writeTriangulatedModel(ObjWriter& writer, const SimpleMesh& input,
                            const float cameraTranslation[3], const StepProgress& progress = {});

// Writes that text into folder/remesh.obj (folder created when missing; the file replaced only
// once complete). Prints "Done!" on standard error and returns 0; when the file cannot be
// written prints "triangulateFaces: cannot write PATH: REASON" on standard error and returns 1.
int triangulateFaces(const SimpleMesh& input, const float cameraTranslation[3],
                     const std::string& folder = "data", const StepProgress& progress = {});
