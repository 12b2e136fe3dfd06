#define GL_GLEXT_PROTOTYPES
#include "mesh/gl_buffer.h"

#include <GL/gl.h>
#include <GL/glext.h>

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
    glBufferData(target, static_cast<GLsizeiptr>(bytes), nullptr, GL_STATIC_DRAW);
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
