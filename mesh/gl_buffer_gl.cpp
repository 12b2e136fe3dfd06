#define GL_GLEXT_PROTOTYPES
#include "mesh/gl_buffer.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <malloc.h>

namespace {

// Blocks of at least this size are mappings of their own while a buffer's storage is made; at
// other times the heap keeps blocks up to the largest threshold the allocator would rise to on
// its own, and reuses them without new page faults.
constexpr int kOwnMappingFrom = 1 << 20;
constexpr int kHeapBlocksUpTo = 32 << 20;

} // namespace

GlBuffer::~GlBuffer() {
    if (name_ != 0) {
        const GLuint name = name_;
        glDeleteBuffers(1, &name);
    }
}

void GlBuffer::reserve(unsigned target, std::size_t bytes) {
    if (name_ == 0) {
        GLuint name = 0;
        glGenBuffers(1, &name);
        name_ = name;
    }
    glBindBuffer(target, name_);
    if (bytes <= storage_ && 2 * bytes >= storage_)
        return;
    // The renderer's storage comes from the heap. Made a mapping of its own, it goes back to the
    // system as soon as the buffer lets go of it, instead of staying resident in the heap beside
    // the storage of another size that replaces it (the heap takes blocks up to 32 MB that its
    // threshold has risen to).
    mallopt(M_MMAP_THRESHOLD, kOwnMappingFrom);
    glBufferData(target, static_cast<GLsizeiptr>(bytes), nullptr, GL_STATIC_DRAW);
    mallopt(M_MMAP_THRESHOLD, kHeapBlocksUpTo);
    storage_ = bytes;
}

std::vector<std::size_t> GlBuffer::upload(unsigned target,
                                          std::initializer_list<BufferPart> parts) {
    std::vector<std::size_t> offsets;
    std::size_t total = 0;
    for (const BufferPart& part : parts) {
        offsets.push_back(total);
        total += part.bytes;
    }
    reserve(target, total);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const BufferPart& part = parts.begin()[i];
        if (part.bytes > 0)
            glBufferSubData(target, static_cast<GLintptr>(offsets[i]),
                            static_cast<GLsizeiptr>(part.bytes), part.data);
    }
    return offsets;
}

void GlBuffer::write(unsigned target, std::size_t bytes,
                     const std::function<void(unsigned char*)>& fill) {
    reserve(target, bytes);
    if (bytes == 0) {
        fill(nullptr);
        return;
    }
    auto* data = static_cast<unsigned char*>(glMapBuffer(target, GL_WRITE_ONLY));
    if (data) {
        fill(data);
        if (glUnmapBuffer(target) == GL_TRUE)
            return;
    }
    // No mapping, or its contents were lost: written the ordinary way.
    std::vector<unsigned char> copy(bytes);
    fill(copy.data());
    glBufferSubData(target, 0, static_cast<GLsizeiptr>(bytes), copy.data());
}

void GlBuffer::bind(unsigned target) const {
    glBindBuffer(target, name_);
}
