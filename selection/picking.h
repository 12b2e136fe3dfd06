// Colour-ID passes over a mesh: the face under one pixel, and the faces that own at least
// one pixel of the window. Both draw into the back buffer without swapping and restore every
// OpenGL attribute; the matrices are left as applyProjection loaded them.
#pragma once

#include "mesh/simple_mesh.h"
#include "selection/rgb_image.h"

#include <functional>

// The face shown at window column x, row y (counted from the bottom) under the camera that
// applyProjection loads, with face culling as the caller left it; -1 when the pixel shows
// no face. Faces beyond the ID limit are not drawn (a line on standard output says so).
int pickFace(const SimpleMesh& mesh, int x, int y, const std::function<void()>& applyProjection);

// Rewrites mesh.faceVisible: 1 for every face that owns a pixel of the width x height window
// under the camera applyProjection loads, 0 for the others. backFace = faces turned away
// from the camera count too (culling off); otherwise back faces are culled. Faces beyond the
// ID limit get 0 (a line on standard output says so). Returns the ID image it read.
RgbImage markVisibleFaces(SimpleMesh& mesh, bool backFace, int width, int height,
                          const std::function<void()>& applyProjection);

// The ID image of the mesh as drawing shows it (the faces it hides left out), read from the
// width x height window under the camera applyProjection loads, culling as markVisibleFaces
// sets it for backFace. Prints nothing.
RgbImage readShownIdImage(const SimpleMesh& mesh, bool backFace, int width, int height,
                          const std::function<void()>& applyProjection);

// Draws the first drawnFaces faces of the mesh in their ID colours, with the pixels that
// drawing each face as a GL_POLYGON gives, in batches written into one small array as they
// are sent: a buffer of the whole image would cost 16 bytes per triangle corner twice over
// (the renderer keeps its own copy), more than the model itself. onlyShown leaves out the
// faces that drawing the mesh hides.
void drawIdImage(const SimpleMesh& mesh, std::size_t drawnFaces, bool onlyShown = false);
