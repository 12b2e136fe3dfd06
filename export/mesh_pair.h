// Pairs of adjacent border triangles seen as quads, with the diagonal chosen so that the
// converted surface keeps the orientation of the input surface.
#pragma once

#include <iostream>
#include <vector>

class SimpleMesh;

struct MeshPair {
    double score = 0;      // the better of the two split scores; the sort key
    int quadVertex[4]{};   // vertex indices of q0..q3
    int quadTexCoord[4]{}; // texture-coordinate indices of q0..q3
    int quadNormal[4]{};   // normal indices of q0..q3
    int faceA = 0;         // lower face index (q0 q1 q2)
    int faceB = 0;         // higher face index (holds q3)
    int flipped = 0;       // 1: split along q1-q3, 0: keep q0-q2
};

// Rebuilds pairs from the border triangles of input: two faces form a pair when both are
// visible (faceVisible 1), on a part border (facePart < 0), have corners on both sides of
// the inversion (see inversionLabel) and share exactly two corners, a corner being a vertex
// index with its texture-coordinate index (the vertex index alone when the model has no
// texture coordinates). Only triangles take part; faces with any other corner count or with
// vertex indices outside either mesh never pair. Each quad's diagonal is scored on the
// positions of input (reference) and output (converted). Prints one "f[i, j] : v[..] --- "
// line per pair (i, then j ascending), the scores after sorting, and "size(MeshPair): N" on
// log. On return pairs is sorted by descending score; ties keep the search order.
void buildMeshPairs(const SimpleMesh& input, const SimpleMesh& output,
                    const float partCompression[4], std::vector<MeshPair>& pairs,
                    std::ostream& log = std::cout);

// The material of face f of mesh (0 when it names none).
int materialOf(const SimpleMesh& mesh, int f);

// 1 when vertex v of mesh is mirrored by the depth inversion: it is in a part 1..3 whose
// compression is not negative; else 0 (also for a vertex without a part entry).
int inversionLabel(const SimpleMesh& mesh, int v, const float partCompression[4]);

// Sets pair.score and pair.flipped from pair.quadVertex: the area-weighted mean cosine
// between the input triangles' normals and the output triangles' normals, for the existing
// diagonal q0-q2 and for q1-q3; flipped = 1 only when q1-q3 scores strictly higher. When
// a split has no area at all its score is not a number: the quad then keeps its diagonal and,
// when the kept split is the one without area, gets the score -infinity so that it sorts
// after every real score. The quad's vertex indices must be valid for both meshes.
void scoreQuad(const SimpleMesh& input, const SimpleMesh& output, MeshPair& pair);
