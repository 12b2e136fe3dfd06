#include "app/camera.h"

#include "app/app_state.h"
#include "app/framing.h"
#include "app/status_block.h"

#include <cmath>
#include <iostream>

namespace {

CameraPose currentViewPose() {
    return {viewCamera.rotation, viewCamera.translation, static_cast<float>(fieldOfView),
            viewFraming};
}

// A pose's field of view is a float; the view's is an int, taken by truncation toward zero.
void putPoseIntoView(const CameraPose& pose) {
    viewCamera.rotation = pose.rotation;
    viewCamera.translation = pose.translation;
    fieldOfView = static_cast<int>(pose.fieldOfView);
    viewFraming = pose.framing;
}

} // namespace

void withSetupCamera(const std::function<void()>& step) {
    // The pose is also kept here, so a step that itself runs under the set-up camera (and so
    // overwrites savedViewPose with the set-up pose) cannot lose the user's view.
    const CameraPose userView = currentViewPose();
    savedViewPose = userView;
    putPoseIntoView(setupCamera);
    step();
    savedViewPose = userView;
    putPoseIntoView(savedViewPose);
}

void storeSetupCamera() {
    setupCamera = currentViewPose();
    noteSetupCameraStored();
}

void loadSetupCamera() {
    putPoseIntoView(setupCamera);
}

void resetViewCamera() {
    fieldOfView = 30;
    viewCamera.rotation = {-0.21f, 0.2f, 0.04f, 0.95f};
    viewCamera.translation = {0, 0, -100};
}

void printCamera(std::ostream& out) {
    const Quat& q = viewCamera.rotation;
    const auto& t = viewCamera.translation;
    out << "camera qrot: (" << q[0] << "," << q[1] << "," << q[2] << "," << q[3] << ")\n";
    out << "camera trans: (" << t[0] << "," << t[1] << "," << t[2] << ")\n";
    const float length = std::sqrt(t[0] * t[0] + t[1] * t[1] + t[2] * t[2]);
    out << "camera distance: " << length / 10 << std::endl;
    if (!viewFraming.isIdentity()) {
        const auto& c = viewFraming.centre;
        out << "camera framing: scale " << viewFraming.scale << " about (" << c[0] << "," << c[1]
            << "," << c[2] << ")" << std::endl;
    }
}

void frameModel() {
    // Fitted from the start-up pose; a model that cannot be framed leaves the view as it was.
    const CameraPose kept = currentViewPose();
    resetViewCamera();
    std::string refusal;
    const std::optional<ModelFraming> framing =
        fitModelIntoWindow(inputMesh.vertices,
                           {viewCamera.rotation, -viewCamera.translation[2], double(fieldOfView),
                            windowHeight > 0 ? double(windowWidth) / windowHeight : 1.0},
                           0.85, &refusal);
    if (!framing) {
        putPoseIntoView(kept);
        std::cerr << "Frame Model: the model is " << refusal << " to frame" << std::endl;
        return;
    }
    viewFraming = *framing;
}

void printCamera() {
    printCamera(std::cout);
}
