// An OpenGL buffer object owned by one cache: created on the first upload, deleted with the
// object. Needs the OpenGL context current wherever it is uploaded, bound or destroyed.
// New contents go into the storage the buffer already has when they fit and fill at least
// half of it: fresh storage costs the renderer an allocation that it zero-fills, page by
// page, which for tens of megabytes takes longer than making the contents. New storage is a
// mapping of its own, given back to the system when the buffer lets go of it; making it fixes
// the heap's threshold for such mappings at 32 MB for the whole process, the most that the
// allocator would raise it to on its own.
#pragma once

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <vector>

struct BufferPart {
    const void* data;
    std::size_t bytes;
};

class GlBuffer {
  public:
    GlBuffer() = default;
    GlBuffer(const GlBuffer&) = delete;
    GlBuffer& operator=(const GlBuffer&) = delete;
    ~GlBuffer();

    // Replaces the contents by the parts placed one after the other (static draw usage) and
    // leaves the buffer bound to target (GL_ARRAY_BUFFER or GL_ELEMENT_ARRAY_BUFFER).
    // Returns the byte offset at which each part starts.
    std::vector<std::size_t> upload(unsigned target, std::initializer_list<BufferPart> parts);
    // Replaces the contents by the `bytes` bytes that fill(data) writes straight into the
    // buffer's storage (no copy kept on the side; only written, never read), and leaves the
    // buffer bound to target. fill runs once, with null when bytes is 0 (and once more, on a
    // copy, in the rare case that the mapped contents were lost).
    void write(unsigned target, std::size_t bytes, const std::function<void(unsigned char*)>& fill);
    void bind(unsigned target) const;

  private:
    // Creates the name on first use, binds it to target and makes sure its storage holds
    // bytes: the storage it has, or new storage of exactly that size.
    void reserve(unsigned target, std::size_t bytes);

    unsigned name_ = 0;
    std::size_t storage_ = 0; // bytes of storage the buffer has
};

// A byte offset into the bound buffer in the pointer form the array calls take.
inline const void* bufferOffset(std::size_t bytes) {
    return reinterpret_cast<const void*>(bytes);
}

// Byte size of an array's contents.
template <typename T> BufferPart partOf(const std::vector<T>& values) {
    return {values.data(), values.size() * sizeof(T)};
}
