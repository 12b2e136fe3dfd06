// How much of a model's picture a conversion keeps: two colour-ID images of the same window,
// one of the input model and one of the output model, compared pixel by pixel. No OpenGL here.
#pragma once

#include "mesh/index_lists.h"
#include "selection/rgb_image.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct PictureComparison {
    long long modelPixels = 0; // pixels where either image names a face
    long long differ = 0;      // of those, the pixels where the two name different faces
    // 1 for every face that gained or lost a pixel: the face named before and the face named
    // after at each pixel that differs; one entry per face of the mesh.
    std::vector<unsigned char> changedFaces;
};

// Compares the ID images before (the input model) and after (the output model) of faceCount
// faces, of which drawnFaces were drawn (values not below drawnFaces name no face). Images of
// different sizes are compared over the pixels both hold, and the rest of the larger one
// counts as differing where it shows the model.
PictureComparison comparePictures(const RgbImage& before, const RgbImage& after,
                                  std::size_t drawnFaces, std::size_t faceCount);

// The share of model pixels kept, in percent with two decimals, rounded down so that "100.00"
// means that no pixel differs; "100.00" when there are no model pixels.
std::string keptPercent(const PictureComparison& comparison);

// The triangles (as indices into the mesh's vertices) of the faces marked in changedFaces,
// each face a fan round its first corner; corners that name no vertex are left out.
std::vector<std::uint32_t> changedFaceTriangles(const IndexLists& faces, std::size_t vertexCount,
                                                const std::vector<unsigned char>& changedFaces);

// For an ID image of a cut model whose face f is a piece of face sourceFace[f]: every pixel
// naming a piece (a value below drawnFaces) names its source face instead.
void nameSourceFaces(RgbImage& image, const std::vector<int>& sourceFace, std::size_t drawnFaces);

// Per face of a cut model, the mark of its source face in marks.
std::vector<unsigned char> piecesOfFaces(const std::vector<unsigned char>& marks,
                                         const std::vector<int>& sourceFace);
