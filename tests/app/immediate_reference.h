// The drawing this program did before it kept vertex buffers: every face resent in immediate
// mode as one GL_POLYGON, one call per corner attribute; for models of several materials, the
// faces of one material after another, each with its material's texture and colour. Kept only
// as the reference that the buffered drawing and ID passes must match pixel for pixel.
#pragma once

#include "mesh/simple_mesh.h"

#include <GL/gl.h>

#include <algorithm>
#include <numeric>
#include <vector>

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

inline int materialOf(const SimpleMesh& m, std::size_t f) {
    const int material = entryOr(m.faceMaterial, f, 0);
    return isIndex(material, m.materials.size()) ? material : 0;
}

// The faces in the order they are drawn: by material, ascending within each.
inline std::vector<std::size_t> drawingOrder(const SimpleMesh& m) {
    std::vector<std::size_t> order(m.faces.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return materialOf(m, a) < materialOf(m, b);
    });
    return order;
}

inline unsigned textureOf(const SimpleMesh& m, std::size_t f) {
    if (m.textureOnAllFaces)
        return m.textureId;
    return m.materials.empty() ? 0 : m.materials[materialOf(m, f)].texture;
}

// An untinted corner's colour: white where an image shows, else its material's colour;
// times its vertex's colour.
inline Rgb lookOf(const SimpleMesh& m, std::size_t f, int v, bool textured) {
    Rgb look{1, 1, 1};
    if (!m.materials.empty()) {
        const MeshMaterial& material = m.materials[materialOf(m, f)];
        if (!(textured && (m.textureOnAllFaces || material.texture != 0)))
            look = {material.diffuse.x, material.diffuse.y, material.diffuse.z};
    }
    if (isIndex(v, m.vertexColours.size()))
        look = {look.r * m.vertexColours[v].x, look.g * m.vertexColours[v].y,
                look.b * m.vertexColours[v].z};
    return look;
}

inline void drawPlain(const SimpleMesh& m) {
    bool coloured = false; // a model all white sets no colour
    for (std::size_t f = 0; f < m.faces.size(); ++f)
        for (const int v : m.faces[f]) {
            const Rgb look = lookOf(m, f, v, false);
            coloured = coloured || look.r != 1 || look.g != 1 || look.b != 1;
        }
    for (const std::size_t f : drawingOrder(m)) {
        const auto corners = m.faces[f];
        const auto cornerNormals = m.normalFaces[f];
        glBegin(GL_POLYGON);
        for (std::size_t k = 0; k < corners.size(); ++k) {
            const Rgb look = lookOf(m, f, corners[k], false);
            if (coloured)
                glColor4f(look.r, look.g, look.b, 1);
            glNormal3fv(&m.normals[cornerNormals[k]].x);
            glVertex3fv(&m.vertices[corners[k]].x);
        }
        glEnd();
    }
}

inline void drawTextured(const SimpleMesh& m, bool outputShown) {
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    const std::vector<std::size_t> order = drawingOrder(m);
    for (const std::size_t f : order) {
        glBindTexture(GL_TEXTURE_2D, textureOf(m, f));
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
            const int part = entryOr(m.vertexPart, corners[k], 0);
            const bool tinted = !outputShown && !borderFace && part >= 1 && part <= 3;
            const Rgb tint =
                tinted ? tintOf(part, outputShown, borderFace) : lookOf(m, f, corners[k], true);
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
        for (const std::size_t f : order) {
            if (entryOr(m.faceVisible, f, 1) == 0)
                continue;
            glBindTexture(GL_TEXTURE_2D, textureOf(m, f));
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
