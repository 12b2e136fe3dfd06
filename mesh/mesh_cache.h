// Per-mesh storage for what drawing layers derive from a mesh's content and keep between
// frames (vertex and index buffers). The record itself stays free of OpenGL: it only owns
// the caches through their virtual destructors, which release their buffers.
#pragma once

#include <memory>

// One derived object kept for a mesh; each drawing layer defines its own.
class MeshCache {
  public:
    virtual ~MeshCache() = default;
};

// The caches of one mesh, one per kind. A cache belongs to exactly one mesh: a copy of a mesh
// starts without caches, and assigning one mesh to another keeps the target's own caches
// (their content keys no longer match, so they are rebuilt, in place, when next used).
// No two meshes ever hold the same buffers, so none is released twice.
class MeshCaches {
  public:
    enum Kind { Shaded, PartPaint, KindCount };

    MeshCaches() = default;
    MeshCaches(const MeshCaches&) {}
    MeshCaches& operator=(const MeshCaches&) { return *this; }

    std::unique_ptr<MeshCache>& operator[](Kind kind) { return caches_[kind]; }
    // Releases every cache (their buffers go with them).
    void clear() {
        for (auto& cache : caches_)
            cache.reset();
    }

  private:
    std::unique_ptr<MeshCache> caches_[KindCount];
};
