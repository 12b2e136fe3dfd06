// The diagonal of a four-cornered face that "Triangulate Faces" splits it along.
#pragma once

class SimpleMesh;

// For the quad with vertex indices q[0..3] of mesh, whether the diagonal q1-q3 (true) or
// q0-q2 (false) gives triangles that face the point cameraTranslation better: each split is
// weighed by the areas of its two triangles projected across the direction from each
// triangle's centre to that point; q1-q3 wins ties. A quad naming a vertex the mesh does not
// have keeps q0-q2.
bool chooseQuadDiagonal(const SimpleMesh& mesh, const int q[4], const float cameraTranslation[3]);
