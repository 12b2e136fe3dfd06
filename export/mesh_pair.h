// Pairs of adjacent border triangles seen as quads, with the diagonal chosen so that the
// converted surface keeps the orientation of the input surface.
#pragma once

#include <vector>

class SimpleMesh;

struct MeshPair {
    double score = 0;        // the better of the two split scores; the sort key
    int quadVertex[4]{};     // vertex indices of q0..q3
    int quadTexCoord[4]{};   // texture-coordinate indices of q0..q3
    int quadNormal[4]{};     // normal indices of q0..q3
    int faceA = 0;           // lower face index (q0 q1 q2)
    int faceB = 0;           // higher face index (holds q3)
    int flipped = 0;         // 1: split along q1-q3, 0: keep q0-q2
};
