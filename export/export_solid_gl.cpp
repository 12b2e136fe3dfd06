#define GL_GLEXT_PROTOTYPES
#include "export/export_solid.h"

#include "export/export_obj.h"
#include "export/solid_files.h"
#include "mesh/simple_mesh.h"
#include "platform/image_file.h"
#include "selection/picking.h"
#include "selection/view_transform_gl.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <IL/il.h>

#include <algorithm>
#include <iostream>

namespace {

// A frame buffer of width x height colour and depth pixels, bound while the object lives.
class OffscreenTarget {
  public:
    OffscreenTarget(int width, int height) {
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous_);
        glGenFramebuffers(1, &frame_);
        glGenRenderbuffers(2, buffers_);
        glBindRenderbuffer(GL_RENDERBUFFER, buffers_[0]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        glBindRenderbuffer(GL_RENDERBUFFER, buffers_[1]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, frame_);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                  buffers_[0]);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                  buffers_[1]);
        complete_ = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    }
    ~OffscreenTarget() {
        glBindFramebuffer(GL_FRAMEBUFFER, GLuint(previous_));
        glDeleteFramebuffers(1, &frame_);
        glDeleteRenderbuffers(2, buffers_);
    }
    OffscreenTarget(const OffscreenTarget&) = delete;
    OffscreenTarget& operator=(const OffscreenTarget&) = delete;
    bool complete() const { return complete_; }

  private:
    GLint previous_ = 0;
    GLuint frame_ = 0, buffers_[2] = {0, 0};
    bool complete_ = false;
};

// What the sampling pass read: the picture (RGB, bottom row first), the depths and the
// matrices and viewport they were drawn with.
struct Sample {
    std::vector<unsigned char> picture;
    DepthImage depth;
    ViewTransform view{};
};

// "" when this OpenGL can draw a width x height image with the window's enlarged viewport.
std::string sizeProblem(int width, int height) {
    GLint largest = 0, viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    if (width < 2 || height < 2)
        return "the window is too small";
    if (width > largest || height > largest || 3 * width > viewport[0] || 3 * height > viewport[1])
        return "a " + std::to_string(width) + " x " + std::to_string(height) +
               " image is more than this OpenGL draws";
    return "";
}

// The faces of source.model that the width x height image draws: those the window draws and,
// when the model leaves out the faces that own no pixel of the window, those of source.input
// that own none there but one of the image. Empty when that adds none (the model is drawn
// as it is). Runs its ID passes in the bound offscreen target.
std::vector<int> facesToSample(const SolidSource& source, int width, int height,
                               const std::function<void()>& applyProjection) {
    const SimpleMesh& model = source.model;
    const std::size_t n = model.faces.size();
    if (!model.hideInvisibleFaces || model.faceVisible.size() != n ||
        source.input.faces.size() != n ||
        (width == source.windowWidth && height == source.windowHeight))
        return {};
    SimpleMesh probe = source.input; // shares the input's arrays
    const int ww = source.windowWidth, wh = source.windowHeight;
    glViewport(-ww, -wh, 3 * ww, 3 * wh);
    markVisibleFaces(probe, source.backFace, ww, wh, applyProjection);
    const std::vector<int> inWindow = probe.faceVisible.get();
    glViewport(-width, -height, 3 * width, 3 * height);
    markVisibleFaces(probe, source.backFace, width, height, applyProjection);
    std::vector<int> drawn = model.faceVisible.get();
    bool added = false;
    for (std::size_t f = 0; f < n; ++f)
        if (probe.faceVisible[f] == 1 && inWindow[f] != 1 && drawn[f] != 1) {
            drawn[f] = 1;
            added = true;
        }
    return added ? drawn : std::vector<int>();
}

void drawSample(const SolidSource& source, int width, int height,
                const std::function<void()>& applyProjection, Sample& out) {
    glPushAttrib(GL_VIEWPORT_BIT);
    std::vector<int> faces = facesToSample(source, width, height, applyProjection);
    glPopAttrib();
    SimpleMesh widened;
    if (!faces.empty()) {
        widened = source.model;
        widened.faceVisible = std::move(faces);
    }
    const SimpleMesh& model = widened.faces.empty() ? source.model : widened;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glViewport(-width, -height, 3 * width, 3 * height);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glClearColor(kPlateColour[0] / 255.0f, kPlateColour[1] / 255.0f, kPlateColour[2] / 255.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    out.view = viewTransformAfter(applyProjection);
    glColor3f(1, 1, 1);
    model.draw(true);
    out.picture = readPixels(width, height, 3);
    out.depth = {width, height, readDepths(width, height)};
    glPopAttrib();
}

int fail(const std::string& why) {
    std::cerr << "exportSolid: " << why << std::endl;
    return 1;
}

void printSummary(const SolidMesh& solid) {
    Vec3 low = solid.vertices[0], high = low;
    for (const Vec3& v : solid.vertices) {
        low = {std::min(low.x, v.x), std::min(low.y, v.y), std::min(low.z, v.z)};
        high = {std::max(high.x, v.x), std::max(high.y, v.y), std::max(high.z, v.z)};
    }
    std::cout << "exportSolid: " << solid.vertices.size() << " vertices, " << solid.triangles.size()
              << " triangles, size " << high.x - low.x << " x " << high.y - low.y << " x "
              << high.z - low.z << ", volume " << signedVolume(solid) << std::endl;
}

} // namespace

int exportSolid(const SolidSource& source, int scale, const std::function<void()>& applyProjection,
                double tolerance, const std::string& folder) {
    const int width = source.windowWidth * scale, height = source.windowHeight * scale;
    if (std::string why = sizeProblem(width, height); !why.empty())
        return fail(why);
    Sample sample;
    {
        OffscreenTarget target(width, height);
        if (!target.complete())
            return fail("no offscreen image of " + std::to_string(width) + " x " +
                        std::to_string(height));
        source.progress("drawing", 0.05);
        drawSample(source, width, height, applyProjection, sample);
    }
    source.progress("building the panel", 0.25);
    const SolidMesh solid = buildSolid(sample.depth, sample.view, {.tolerance = tolerance});
    if (solid.vertices.empty())
        return fail("the set-up camera gives no solid");
    // Walls and back take the plate's texel: a background pixel, or the one painted here when
    // the model covers the whole picture.
    std::copy_n(kPlateColour, 3, sample.picture.begin() + 3 * std::size_t(solid.plateSample));

    const std::string base = folder + "/export_solid";
    const std::vector<PendingFile> files = {
        {base + ".stl",
         [&](const std::string& temp) {
             source.progress("writing the STL file", 0.5);
             return writeFileThrough(temp,
                                     [&](const ByteSink& sink) { return writeStl(solid, sink); });
         }},
        {base + ".obj",
         [&](const std::string& temp) {
             source.progress("writing the OBJ file", 0.65);
             return writeObjFile(temp, [&](ObjWriter& writer) { writeSolidObj(writer, solid); });
         }},
        {base + ".mtl",
         [&](const std::string& temp) {
             return writeFileThrough(
                 temp, [](const ByteSink& sink) { return sink(solidMaterialText()); });
         }},
        {base + ".png",
         [&](const std::string& temp) {
             source.progress("writing the picture", 0.9);
             return savePixels(temp, IL_PNG, width, height, 3, sample.picture);
         }},
    };
    std::string failedPath;
    if (std::string why = replaceFiles(files, failedPath); !why.empty())
        return fail("cannot write " + failedPath + ": " + why);
    printSummary(solid);
    return 0;
}
