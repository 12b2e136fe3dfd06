// Cutting a model to what one camera sees: every face that other faces partly cover keeps only
// its visible part, cut along the outlines of the faces in front of it (and along the line
// where two faces pass through each other). Pure geometry: exact 2-D clipping in window
// coordinates on a sub-pixel integer grid, no OpenGL context.
#pragma once

#include "mesh/simple_mesh.h"
#include "mesh/step_progress.h"
#include "selection/projection.h"

#include <vector>

// Sub-pixel grid of the 2-D clipping: window coordinates are rounded to 1/kTrimGrid pixel.
constexpr double kTrimGrid = 1024;

// The cut model and where each of its faces came from.
struct TrimmedModel {
    SimpleMesh mesh;             // the cut model, with the input's selection and materials
    std::vector<int> sourceFace; // per face of mesh: the face of the input it is a piece of
    // Per vertex of mesh past the input's: the input vertex whose part labels it takes.
    std::vector<int> newVertexSource;
};

// Cuts input to what the camera of view sees (window coordinates as projectPoint gives them),
// faces drawn as fans round their first corner, in face order, with the depth test's rule
// that of two faces at the same depth the one drawn first shows. backFaces false: faces turned
// away from the camera (clockwise on the screen) are culled, so they neither show nor hide
// anything and are left out of the cut model.
// - A face that nothing covers comes through unchanged (its corners, texture coordinates and
//   normals are the input's); a face wholly covered is left out (it cannot be seen).
// - A partly covered face becomes triangles over its visible part. Their corners that are
//   corners of the face are the input's vertices; new corners lie on the face's plane on the
//   line of sight through their grid point, with texture coordinates, normals and vertex
//   colours interpolated on the face, and the part labels of the face's nearest corner.
// - Faces that cannot be cut exactly come through unchanged and hide nothing: a corner on or
//   behind the eye's plane or not finite, window coordinates beyond a million pixels. Faces of
//   no area on the screen hide nothing and are never cut.
// Per-face members (facePart, faceVisible, faceMaterial) follow the source face; the mesh's
// caches start empty. Large models are cut on two threads, with the same result. progress,
// when given, is told each step as it starts (on the calling thread).
TrimmedModel trimToVisible(const SimpleMesh& input, const ViewTransform& view, bool backFaces,
                           const StepProgress& progress = {});

// Makes the cut model input's model again with the cut's geometry (vertices, normals, texture
// coordinates, vertex colours and the three corner lists): every other member comes from
// input as it is now, facePart, faceVisible and faceMaterial per source face, vertexPart and
// vertexInPart per vertex (new vertices taking their source vertex's labels). So a cut made
// for the same geometry and camera serves again after the selection changed, and a cut made
// from a copy of input's geometry alone becomes input's.
void takeSelection(TrimmedModel& cut, const SimpleMesh& input);
