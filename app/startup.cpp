#include "app/startup.h"

#include "app/app_state.h"
#include "app/camera.h"
#include "app/status_block.h"

void initApplicationState() {
    for (const char* dir : {".", "..", "Mesh", "../Mesh", "../../Mesh"})
        meshSearchDirs.push_back(dir);
    resetViewCamera();
    setupCamera.rotation = {0, 0, 0, 1};
    setupCamera.translation = {0, 0, -100};
    setupCamera.fieldOfView = static_cast<float>(fieldOfView);
    resetStatusNotes();
}
