#include "app/picture_check.h"

#include "app/app_state.h"
#include "app/camera.h"
#include "selection/face_id.h"
#include "selection/picking.h"
#include "selection/picture_compare.h"
#include "selection/view_transform_gl.h"

#include <GL/gl.h>

#include <cstdint>
#include <cstring>

namespace {

// What the kept input image was read under.
struct InputImageKey {
    ViewTransform view{};
    int width = 0, height = 0, backFace = 0;
    std::uint64_t vertices = 0, faces = 0;

    bool operator==(const InputImageKey& o) const {
        return std::memcmp(&view, &o.view, sizeof view) == 0 && width == o.width &&
               height == o.height && backFace == o.backFace && vertices == o.vertices &&
               faces == o.faces;
    }
};

struct PictureState {
    bool haveInput = false;
    InputImageKey inputKey;
    RgbImage inputImage;
    std::vector<std::uint32_t> changedTriangles; // into outputMesh.vertices
    std::size_t outputVertices = 0;              // how many it had then
};

PictureState& state() {
    static PictureState s;
    return s;
}

InputImageKey currentKey() {
    InputImageKey key;
    key.view = viewTransformAfter(applyProjection);
    key.width = windowWidth;
    key.height = windowHeight;
    key.backFace = backFace != 0;
    key.vertices = inputMesh.vertices.stamp();
    key.faces = inputMesh.faces.stamp();
    return key;
}

} // namespace

void measurePictureKept(const RgbImage* inputImage) {
    PictureState& s = state();
    const InputImageKey key = currentKey();
    if (inputImage) {
        s.inputImage = *inputImage;
    } else if (!s.haveInput || !(s.inputKey == key)) {
        s.inputImage =
            readShownIdImage(inputMesh, backFace != 0, windowWidth, windowHeight, applyProjection);
    }
    s.inputKey = key;
    s.haveInput = true;
    const RgbImage output =
        readShownIdImage(outputMesh, backFace != 0, windowWidth, windowHeight, applyProjection);
    const std::size_t faces = inputMesh.faces.size();
    PictureRecord& record = pictureRecord();
    record.last = comparePictures(s.inputImage, output, idFaceCount(faces), faces);
    s.changedTriangles = changedFaceTriangles(outputMesh.faces, outputMesh.vertices.size(),
                                              record.last.changedFaces);
    s.outputVertices = outputMesh.vertices.size();
    record.measured = true;
}

void drawPictureChanges() {
    const PictureState& s = state();
    if (showChanges == 0 || shownModel != 1 || !partsMeasured || !pictureRecord().measured ||
        s.changedTriangles.empty() || s.outputVertices != outputMesh.vertices.size())
        return;
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_DEPTH_BUFFER_BIT | GL_POLYGON_BIT |
                 GL_COLOR_BUFFER_BIT);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_FALSE);
    // Pulled a little towards the eye, so the tint wins over the faces it lies on.
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(-1, -1);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(Vec3), outputMesh.vertices.data());
    glColor4f(1, 0, 1, 0.6f);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(s.changedTriangles.size()), GL_UNSIGNED_INT,
                   s.changedTriangles.data());
    glPopClientAttrib();
    glPopAttrib();
}
