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

std::vector<std::size_t> GlBuffer::upload(unsigned target,
                                          std::initializer_list<BufferPart> parts) {
    if (name_ == 0) {
        GLuint name = 0;
        glGenBuffers(1, &name);
        name_ = name;
    }
    std::vector<std::size_t> offsets;
    std::size_t total = 0;
    for (const BufferPart& part : parts) {
        offsets.push_back(total);
        total += part.bytes;
    }
    glBindBuffer(target, name_);
    glBufferData(target, static_cast<GLsizeiptr>(total), nullptr, GL_STATIC_DRAW);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const BufferPart& part = parts.begin()[i];
        if (part.bytes > 0)
            glBufferSubData(target, static_cast<GLintptr>(offsets[i]),
                            static_cast<GLsizeiptr>(part.bytes), part.data);
    }
    return offsets;
}

void GlBuffer::bind(unsigned target) const {
    glBindBuffer(target, name_);
}
