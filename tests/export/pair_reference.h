// The border-pair search done the slow way: every pair of faces (i < j) compared corner by
// corner. The tests check the real search against it on random models; the benchmark times
// both. Pairs come in search order with their pair lines; scoring is the real one.
#pragma once

#include "export/mesh_pair.h"
#include "mesh/simple_mesh.h"

#include <string>
#include <vector>

namespace reference {

// Index k of list f, -1 where the lists stop short.
inline int cornerOf(const IndexLists& lists, std::size_t f, std::size_t k) {
    return f < lists.size() && k < lists[f].size() ? lists[f][k] : -1;
}

inline bool qualifies(const SimpleMesh& in, const SimpleMesh& out, std::size_t f,
                      const float partCompression[4]) {
    if (f >= in.faceVisible.size() || in.faceVisible[f] != 1 || f >= in.facePart.size() ||
        in.facePart[f] >= 0 || in.faces[f].size() != 3)
        return false;
    int labels[3];
    for (int k = 0; k < 3; ++k) {
        int v = in.faces[f][k];
        if (v < 0 || std::size_t(v) >= in.vertices.size() || std::size_t(v) >= out.vertices.size())
            return false;
        labels[k] = inversionLabel(in, v, partCompression);
    }
    return !(labels[0] == labels[1] && labels[1] == labels[2]);
}

inline void corner(const SimpleMesh& m, int f, int k, MeshPair& p, int q) {
    p.quadVertex[q] = m.faces[f][k];
    p.quadTexCoord[q] = cornerOf(m.texCoordFaces, f, k);
    p.quadNormal[q] = cornerOf(m.normalFaces, f, k);
}

inline std::vector<MeshPair> allPairs(const SimpleMesh& in, const SimpleMesh& out,
                                      const float partCompression[4], std::string& lines) {
    std::vector<MeshPair> pairs;
    const int F = int(in.faces.size());
    for (int i = 0; i < F; ++i) {
        if (!qualifies(in, out, i, partCompression))
            continue;
        for (int j = i + 1; j < F; ++j) {
            if (!qualifies(in, out, j, partCompression))
                continue;
            int count = 0;
            bool markI[3] = {}, markJ[3] = {};
            for (int a = 0; a < 3; ++a)
                for (int b = 0; b < 3; ++b)
                    if (in.faces[i][a] == in.faces[j][b] &&
                        cornerOf(in.texCoordFaces, i, a) == cornerOf(in.texCoordFaces, j, b)) {
                        ++count;
                        markI[a] = markJ[b] = true;
                    }
            if (count != 2)
                continue;
            int a = 0, b = 0;
            for (int k = 0; k < 3; ++k) {
                if (!markI[k])
                    a = k;
                if (!markJ[k])
                    b = k;
            }
            MeshPair p;
            corner(in, i, (a + 2) % 3, p, 0);
            corner(in, i, a, p, 1);
            corner(in, i, (a + 1) % 3, p, 2);
            corner(in, j, b, p, 3);
            p.faceA = i, p.faceB = j;
            lines += "f[" + std::to_string(i) + ", " + std::to_string(j) + "] : ";
            for (int v : p.quadVertex)
                lines += "v[" + std::to_string(v) + "] --- ";
            lines += "\n";
            scoreQuad(in, out, p);
            pairs.push_back(p);
        }
    }
    return pairs;
}

} // namespace reference
