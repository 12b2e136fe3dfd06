// The search for border pairs. Instead of comparing every pair of faces, candidates come
// from the edges the border triangles share (and, for triangles that name one corner twice,
// from that corner); each candidate then gets the full nine-corner comparison, so the pairs,
// their contents and their order are those of comparing every pair of faces.
#include "export/mesh_pair.h"

#include "mesh/simple_mesh.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <sstream>

namespace {

using Key = std::uint64_t; // vertex index and texture-coordinate index of one corner

struct Edge {
    Key low, high;
    int face;
    bool operator<(const Edge& o) const {
        return low != o.low ? low < o.low : high != o.high ? high < o.high : face < o.face;
    }
};

struct KeyFace {
    Key key;
    int face;
    bool operator<(const KeyFace& o) const { return key != o.key ? key < o.key : face < o.face; }
};

// The border triangles with the keys of their three corners.
struct Candidates {
    std::vector<int> faces;
    std::vector<std::array<Key, 3>> keys;
};

int entry(const std::vector<int>& list, std::size_t i, int missing) {
    return i < list.size() ? list[i] : missing;
}

Key cornerKey(const SimpleMesh& mesh, std::size_t f, std::size_t k) {
    int t = -1; // a model (or face) without texture coordinates pairs on vertex indices alone
    if (f < mesh.texCoordFaces.size() && k < mesh.texCoordFaces[f].size())
        t = mesh.texCoordFaces[f][k];
    return (Key(std::uint32_t(mesh.faces[f][k])) << 32) | std::uint32_t(t);
}

// A visible triangle on a part border whose corners lie on both sides of the inversion.
bool isBorderTriangle(const SimpleMesh& input, std::size_t vertexLimit, std::size_t f,
                      const float partCompression[4]) {
    if (entry(input.faceVisible, f, 1) != 1 || entry(input.facePart, f, 0) >= 0)
        return false;
    if (input.faces[f].size() != 3)
        return false;
    std::span<const int> corners = input.faces[f];
    for (int v : corners)
        if (!isIndex(v, vertexLimit))
            return false;
    int first = inversionLabel(input, corners[0], partCompression);
    return inversionLabel(input, corners[1], partCompression) != first ||
           inversionLabel(input, corners[2], partCompression) != first;
}

Candidates borderTriangles(const SimpleMesh& input, const SimpleMesh& output,
                           const float partCompression[4]) {
    Candidates c;
    std::size_t vertexLimit = std::min(input.vertices.size(), output.vertices.size());
    for (std::size_t f = 0; f < input.faces.size(); ++f) {
        if (!isBorderTriangle(input, vertexLimit, f, partCompression))
            continue;
        c.faces.push_back(int(f));
        c.keys.push_back({cornerKey(input, f, 0), cornerKey(input, f, 1), cornerKey(input, f, 2)});
    }
    return c;
}

std::uint64_t pairCode(int i, int j) {
    if (i > j)
        std::swap(i, j);
    return (std::uint64_t(std::uint32_t(i)) << 32) | std::uint32_t(j);
}

// Adds every pair of faces within each run of equal keys of a sorted list.
template <class T, class Same>
void pairRuns(const std::vector<T>& sorted, Same same, std::vector<std::uint64_t>& out) {
    for (std::size_t a = 0; a < sorted.size();) {
        std::size_t b = a + 1;
        while (b < sorted.size() && same(sorted[a], sorted[b]))
            ++b;
        for (std::size_t x = a; x < b; ++x)
            for (std::size_t y = x + 1; y < b; ++y)
                if (sorted[x].face != sorted[y].face)
                    out.push_back(pairCode(sorted[x].face, sorted[y].face));
        a = b;
    }
}

// Pairs of border triangles that can share exactly two corners, ascending, each once. Two
// triangles with three distinct corners each do so only across a shared edge. A triangle
// that names one corner twice matches a neighbour twice through that corner alone, so such
// triangles are paired with every triangle that holds their doubled corner.
std::vector<std::uint64_t> candidatePairs(const Candidates& c) {
    std::vector<Edge> edges;
    std::vector<KeyFace> doubled;
    for (std::size_t n = 0; n < c.faces.size(); ++n) {
        const auto& k = c.keys[n];
        if (k[0] != k[1] && k[1] != k[2] && k[2] != k[0]) {
            for (int e = 0; e < 3; ++e) {
                Key a = k[e], b = k[(e + 1) % 3];
                edges.push_back({std::min(a, b), std::max(a, b), c.faces[n]});
            }
        } else if (!(k[0] == k[1] && k[1] == k[2])) { // three equal corners never pair
            doubled.push_back({k[0] == k[1] || k[0] == k[2] ? k[0] : k[1], c.faces[n]});
        }
    }
    std::vector<std::uint64_t> pairs;
    std::sort(edges.begin(), edges.end());
    pairRuns(
        edges, [](const Edge& a, const Edge& b) { return a.low == b.low && a.high == b.high; },
        pairs);
    if (!doubled.empty()) {
        std::sort(doubled.begin(), doubled.end());
        std::vector<KeyFace> holders; // every border triangle holding a doubled corner
        for (std::size_t n = 0; n < c.faces.size(); ++n)
            for (Key k : c.keys[n])
                if (std::binary_search(
                        doubled.begin(), doubled.end(), KeyFace{k, -1},
                        [](const KeyFace& a, const KeyFace& b) { return a.key < b.key; }))
                    holders.push_back({k, c.faces[n]});
        std::sort(holders.begin(), holders.end());
        holders.erase(std::unique(holders.begin(), holders.end(),
                                  [](const KeyFace& a, const KeyFace& b) {
                                      return a.key == b.key && a.face == b.face;
                                  }),
                      holders.end());
        pairRuns(
            holders, [](const KeyFace& a, const KeyFace& b) { return a.key == b.key; }, pairs);
    }
    std::sort(pairs.begin(), pairs.end());
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    return pairs;
}

// Compares all nine corner combinations of two triangles. Returns the number of matches and
// the highest-numbered unmatched corner of each (-1 when all matched).
struct Match {
    int count = 0;
    int freeA = -1, freeB = -1;
};

Match matchCorners(const std::array<Key, 3>& a, const std::array<Key, 3>& b) {
    Match m;
    bool usedA[3] = {}, usedB[3] = {};
    for (int x = 0; x < 3; ++x)
        for (int y = 0; y < 3; ++y)
            if (a[x] == b[y]) {
                ++m.count;
                usedA[x] = usedB[y] = true;
            }
    for (int x = 0; x < 3; ++x) {
        if (!usedA[x])
            m.freeA = x;
        if (!usedB[x])
            m.freeB = x;
    }
    return m;
}

void copyCorner(const SimpleMesh& mesh, int f, int k, MeshPair& pair, int q) {
    auto at = [&](const IndexLists& lists) {
        return std::size_t(f) < lists.size() && std::size_t(k) < lists.count(f) ? lists[f][k] : -1;
    };
    pair.quadVertex[q] = at(mesh.faces);
    pair.quadTexCoord[q] = at(mesh.texCoordFaces);
    pair.quadNormal[q] = at(mesh.normalFaces);
}

// The quad of faces i and j: q0 q1 q2 from face i with q1 its free corner, q3 the free
// corner of face j.
MeshPair formQuad(const SimpleMesh& mesh, int i, int j, const Match& m) {
    MeshPair pair;
    copyCorner(mesh, i, (m.freeA + 2) % 3, pair, 0);
    copyCorner(mesh, i, m.freeA, pair, 1);
    copyCorner(mesh, i, (m.freeA + 1) % 3, pair, 2);
    copyCorner(mesh, j, m.freeB, pair, 3);
    pair.faceA = i;
    pair.faceB = j;
    return pair;
}

void appendPairLine(std::string& out, const MeshPair& pair) {
    char buffer[160];
    char* p = buffer;
    auto put = [&p](std::string_view s) { p = std::copy(s.begin(), s.end(), p); };
    auto number = [&p](int n) { p = std::to_chars(p, p + 12, n).ptr; };
    put("f[");
    number(pair.faceA);
    put(", ");
    number(pair.faceB);
    put("] : ");
    for (int v : pair.quadVertex) {
        put("v[");
        number(v);
        put("] --- ");
    }
    put("\n");
    out.append(buffer, p);
}

} // namespace

int materialOf(const SimpleMesh& mesh, int f) {
    return f >= 0 ? entry(mesh.faceMaterial, std::size_t(f), 0) : 0;
}

int inversionLabel(const SimpleMesh& mesh, int v, const float partCompression[4]) {
    int part = v >= 0 ? entry(mesh.vertexPart, std::size_t(v), 0) : 0;
    return part >= 1 && part <= 3 && partCompression[part] >= 0 ? 1 : 0;
}

void buildMeshPairs(const SimpleMesh& input, const SimpleMesh& output,
                    const float partCompression[4], std::vector<MeshPair>& pairs,
                    std::ostream& log) {
    pairs.clear();
    Candidates border = borderTriangles(input, output, partCompression);
    std::string lines;
    for (std::uint64_t code : candidatePairs(border)) {
        int i = int(code >> 32), j = int(code & 0xffffffffu);
        auto slot = [&border](int f) {
            return std::lower_bound(border.faces.begin(), border.faces.end(), f) -
                   border.faces.begin();
        };
        Match m = matchCorners(border.keys[slot(i)], border.keys[slot(j)]);
        // Faces of two materials keep their diagonal: their texture coordinates index
        // different images, so no quad can join them.
        if (m.count != 2 || materialOf(input, i) != materialOf(input, j))
            continue;
        MeshPair pair = formQuad(input, i, j, m);
        appendPairLine(lines, pair);
        scoreQuad(input, output, pair);
        pairs.push_back(pair);
    }
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const MeshPair& a, const MeshPair& b) { return a.score > b.score; });
    std::ostringstream scores; // default formatting: six significant digits
    for (const MeshPair& pair : pairs)
        scores << pair.score << ' ';
    log << lines << scores.str() << '\n' << "size(MeshPair): " << pairs.size() << '\n';
    log.flush();
}
