#include "mesh/simple_mesh.h"

#include <GL/gl.h>

namespace {

struct Rgb {
    float r, g, b;
};

// Corner tints on the input model, by the part of the corner's vertex (0 = none: white).
constexpr Rgb partTints[4] = {{1, 1, 1}, {0, 1, 0}, {0, 1, 0.7f}, {0.7f, 1, 0}};
constexpr float hiddenFaceAlpha = 0.15f;
constexpr float backFaceGrey = 0.7f;

// The selection arrays may be shorter than the geometry before a model's selection state is
// built; a missing entry reads as the state of a freshly opened model.
int entryOr(const std::vector<int>& values, std::size_t i, int missing) {
    return i < values.size() ? values[i] : missing;
}

// Tint of a corner whose vertex carries part label `part`.
const Rgb& tintOf(int part, bool outputShown, bool borderFace) {
    if (outputShown || borderFace || part < 1 || part > 3)
        return partTints[0];
    return partTints[part];
}

} // namespace

void SimpleMesh::draw(bool outputShown) const {
    if (texCoordFaces.empty()) {
        drawPlain();
        return;
    }
    if (textureId != 0)
        glBindTexture(GL_TEXTURE_2D, textureId);
    drawTextured(outputShown);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void SimpleMesh::drawPlain() const {
    for (std::size_t f = 0; f < faces.size(); ++f) {
        const auto corners = faces[f];
        const auto cornerNormals = normalFaces[f];
        glBegin(GL_POLYGON);
        for (std::size_t k = 0; k < corners.size(); ++k) {
            glNormal3fv(&normals[cornerNormals[k]].x);
            glVertex3fv(&vertices[corners[k]].x);
        }
        glEnd();
    }
}

void SimpleMesh::drawTextured(bool outputShown) const {
    // Front pass: part tints, translucent or absent faces not seen from the set-up camera.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    for (std::size_t f = 0; f < faces.size(); ++f) {
        const bool visible = entryOr(faceVisible, f, 1) != 0;
        if (!visible && hideInvisibleFaces == 1)
            continue;
        const float alpha = visible ? 1.0f : hiddenFaceAlpha;
        const bool borderFace = entryOr(facePart, f, 0) < 0;
        const auto corners = faces[f];
        const auto cornerNormals = normalFaces[f];
        const auto cornerTexCoords = texCoordFaces[f];
        glBegin(GL_POLYGON);
        for (std::size_t k = 0; k < corners.size(); ++k) {
            const Rgb& tint = tintOf(entryOr(vertexPart, corners[k], 0), outputShown, borderFace);
            glColor4f(tint.r, tint.g, tint.b, alpha);
            glTexCoord2fv(&texCoords[cornerTexCoords[k]].u);
            glNormal3fv(&normals[cornerNormals[k]].x);
            glVertex3fv(&vertices[corners[k]].x);
        }
        glEnd();
    }

    // Back-face pass: the inside of the model in grey, only for faces seen from the camera.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    if (drawBackFaces != 0) {
        for (std::size_t f = 0; f < faces.size(); ++f) {
            if (entryOr(faceVisible, f, 1) == 0)
                continue;
            const auto corners = faces[f];
            const auto cornerNormals = normalFaces[f];
            glColor4f(backFaceGrey, backFaceGrey, backFaceGrey, 1);
            glBegin(GL_POLYGON);
            for (std::size_t k = 0; k < corners.size(); ++k) {
                glTexCoord2f(0, 0);
                glNormal3fv(&normals[cornerNormals[k]].x);
                glVertex3fv(&vertices[corners[k]].x);
            }
            glEnd();
        }
    }
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
}
