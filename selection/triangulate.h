// "Triangulate Faces": the visible faces of the input model with every four-cornered face
// split into the two triangles that face the viewer better, written as folder/remesh.obj.
#pragma once

#include <string>

class ObjWriter;
class SimpleMesh;

// For the quad with vertex indices q[0..3] of mesh, whether the diagonal q1-q3 (true) or
// q0-q2 (false) gives triangles that face the point cameraTranslation better: each split is
// weighed by the areas of its two triangles projected across the direction from each
// triangle's centre to that point; q1-q3 wins ties. A quad naming a vertex the mesh does not
// have keeps q0-q2.
bool chooseQuadDiagonal(const SimpleMesh& mesh, const int q[4], const float cameraTranslation[3]);

// Writes the OBJ output layout of input into folder/remesh.obj (folder created when
// missing; the file replaced only once complete): all positions, texture coordinates and
// normals, then each face whose faceVisible is at least 1 in index order, a quad as two
// triangles along chooseQuadDiagonal ((q0 q1 q2)(q0 q2 q3) or (q0 q1 q3)(q1 q2 q3)), any
// other face as it is, then the element count of all faces. Prints "Done!" on standard error
// and returns 0; when the file cannot be written prints "triangulateFaces: cannot write PATH:
// REASON" on standard error and returns 1.
// The text of that file, handed to writer: header, the three sections, the faces as above
// and the element count.
void writeTriangulatedModel(ObjWriter& writer, const SimpleMesh& input,
                            const float cameraTranslation[3]);

int triangulateFaces(const SimpleMesh& input, const float cameraTranslation[3],
                     const std::string& folder = "data");
