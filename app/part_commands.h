// The commands that paint parts and convert the model: the lasso and Shift+click of the
// mouse, "Push", "Back", the compression spinner, "Preview", "Export", "Triangulate Faces"
// and key d. Each works on the process-wide state and hands it to the selection and export
// passes as arguments.
#pragma once

// Lasso release: paints the faces inside lassoPolygon into currentPart and leaves lassoStroke
// and lassoPolygon empty.
void applyLassoCommand();

// Shift+click in Camera mode at window pixel (x, y), y counted from the top: prints
// "Mesh ID : ID" on standard error; when ID names a face, switches it in or out of the
// visible faces and rebuilds the output model.
void toggleFaceCommand(int x, int y);

// Under the set-up camera: outputMesh becomes a copy of inputMesh with its invisible faces
// hidden and every painted vertex mirrored in depth about its part's position.
void rebuildOutputModel();

// "Push" / "Back": moves the current part's position by +/- (max - min depth) / 20, rebuilds.
void pushCommand();
void backCommand();
// Compression spinner: the current part's compression becomes compressionValue, rebuilds.
void compressionCommand();
// "Preview": twice, under the set-up camera: mark the visible faces, measure every part's
// median and seam depth, rebuild the output model.
void previewCommand();
// "Export": data/export.obj and data/export.bmp. Returns 0, or 1 when a file failed.
int exportCommand();
// "Export Solid": under the set-up camera, data/export_solid.stl, .obj, .mtl and .png from an
// image solidScale times the window's size, within solidTolerance (see exportSolid). Returns 0, or
// 1 on failure.
int exportSolidCommand();
// "Triangulate Faces": data/remesh.obj under the current view. Returns 0, or 1 on failure.
int triangulateCommand();
// Key d: pairs the border triangles under the current view and prints them.
void pairDiagnosticCommand();
