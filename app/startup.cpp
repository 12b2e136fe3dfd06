#include "app/startup.h"

#include "app/app_state.h"
#include "app/camera.h"
#include "app/status_block.h"

#include <malloc.h>

void returnLargeBlocksWhenFreed() {
    // Setting the threshold also ends the allocator's own raising of it, which would move
    // blocks of up to 32 MB back into the heap after the first such block is freed.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
}

void initApplicationState() {
    returnLargeBlocksWhenFreed();
    for (const char* dir : {".", "..", "Mesh", "../Mesh", "../../Mesh"})
        meshSearchDirs.push_back(dir);
    resetViewCamera();
    setupCamera.rotation = {0, 0, 0, 1};
    setupCamera.translation = {0, 0, -100};
    setupCamera.fieldOfView = static_cast<float>(fieldOfView);
    resetStatusNotes();
}
