#define GL_GLEXT_PROTOTYPES
#include "mesh/draw_batches.h"

#include "mesh/gl_buffer.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>

namespace {

constexpr std::size_t kBatchVertices = 3 * kBatchTriangles;

} // namespace

void drawIndexedTriangles(std::size_t at, std::size_t count, std::size_t entries) {
    if (count == 0 || entries == 0)
        return;
    for (std::size_t done = 0; done < count; done += kBatchVertices) {
        const std::size_t batch = std::min(kBatchVertices, count - done);
        glDrawRangeElements(GL_TRIANGLES, 0, static_cast<GLuint>(entries - 1),
                            static_cast<GLsizei>(batch), GL_UNSIGNED_INT,
                            bufferOffset(at + done * sizeof(GLuint)));
        if (done + batch < count)
            glFlush();
    }
}

bool outlinesDrawn() {
    GLint modes[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    return modes[0] != GL_FILL || modes[1] != GL_FILL;
}

void drawArrayTriangles(std::size_t count) {
    for (std::size_t done = 0; done < count; done += kBatchVertices) {
        const std::size_t batch = std::min(kBatchVertices, count - done);
        glDrawArrays(GL_TRIANGLES, static_cast<GLint>(done), static_cast<GLsizei>(batch));
        if (done + batch < count)
            glFlush();
    }
}
