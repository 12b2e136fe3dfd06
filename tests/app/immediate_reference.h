// The drawing this program did before it kept vertex buffers: every face resent in immediate
// mode as one GL_POLYGON, one call per corner attribute. Kept only as the reference that the
// buffered drawing and ID passes must match pixel for pixel.
#pragma once

#include "mesh/simple_mesh.h"

#include <GL/gl.h>

#include <algorithm>

namespace immediate {

struct Rgb {
    float r, g, b;
};

inline int entryOr(const std::vector<int>& values, std::size_t i, int missing) {
    return i < values.size() ? values[i] : missing;
}

inline Rgb tintOf(int part, bool outputShown, bool borderFace) {
    constexpr Rgb tints[4] = {{1, 1, 1}, {0, 1, 0}, {0, 1, 0.7f}, {0.7f, 1, 0}};
    if (outputShown || borderFace || part < 1 || part > 3)
        return tints[0];
    return tints[part];
}

inline void drawPlain(const SimpleMesh& m) {
    for (std::size_t f = 0; f < m.faces.size(); ++f) {
        const auto corners = m.faces[f];
        const auto cornerNormals = m.normalFaces[f];
        glBegin(GL_POLYGON);
        for (std::size_t k = 0; k < corners.size(); ++k) {
            glNormal3fv(&m.normals[cornerNormals[k]].x);
            glVertex3fv(&m.vertices[corners[k]].x);
        }
        glEnd();
    }
}

inline void drawTextured(const SimpleMesh& m, bool outputShown) {
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    for (std::size_t f = 0; f < m.faces.size(); ++f) {
        const bool visible = entryOr(m.faceVisible, f, 1) != 0;
        if (!visible && m.hideInvisibleFaces == 1)
            continue;
        const float alpha = visible ? 1.0f : 0.15f;
        const bool borderFace = entryOr(m.facePart, f, 0) < 0;
        const auto corners = m.faces[f];
        const auto cornerNormals = m.normalFaces[f];
        const auto cornerTexCoords = m.texCoordFaces[f];
        glBegin(GL_POLYGON);
        for (std::size_t k = 0; k < corners.size(); ++k) {
            const Rgb tint = tintOf(entryOr(m.vertexPart, corners[k], 0), outputShown, borderFace);
            glColor4f(tint.r, tint.g, tint.b, alpha);
            glTexCoord2fv(&m.texCoords[cornerTexCoords[k]].u);
            glNormal3fv(&m.normals[cornerNormals[k]].x);
            glVertex3fv(&m.vertices[corners[k]].x);
        }
        glEnd();
    }
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    if (m.drawBackFaces != 0) {
        for (std::size_t f = 0; f < m.faces.size(); ++f) {
            if (entryOr(m.faceVisible, f, 1) == 0)
                continue;
            const auto corners = m.faces[f];
            const auto cornerNormals = m.normalFaces[f];
            glColor4f(0.7f, 0.7f, 0.7f, 1);
            glBegin(GL_POLYGON);
            for (std::size_t k = 0; k < corners.size(); ++k) {
                glTexCoord2f(0, 0);
                glNormal3fv(&m.normals[cornerNormals[k]].x);
                glVertex3fv(&m.vertices[corners[k]].x);
            }
            glEnd();
        }
    }
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
}

// SimpleMesh::draw as it was.
inline void draw(const SimpleMesh& m, bool outputShown) {
    if (m.texCoordFaces.empty()) {
        drawPlain(m);
        return;
    }
    if (m.textureId != 0)
        glBindTexture(GL_TEXTURE_2D, m.textureId);
    drawTextured(m, outputShown);
    glBindTexture(GL_TEXTURE_2D, 0);
}

// drawIdImage as it was.
inline void drawIdImage(const SimpleMesh& mesh, std::size_t drawnFaces) {
    const std::size_t count = std::min(drawnFaces, mesh.faces.size());
    for (std::size_t i = 0; i < count; ++i) {
        auto corners = mesh.faces[i];
        if (corners.size() < 3)
            continue;
        glColor3ub(i & 255, (i >> 8) & 255, (i >> 16) & 255);
        glBegin(GL_POLYGON);
        for (int v : corners)
            if (isIndex(v, mesh.vertices.size()))
                glVertex3fv(&mesh.vertices[v].x);
        glEnd();
    }
}

} // namespace immediate
