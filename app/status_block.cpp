#include "app/status_block.h"

#include "app/app_state.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace {

bool setupCameraStored = false;
// The labels as "Preview" left them; copies share the arrays until the lasso writes them.
Shared<std::vector<int>> facePartAtPreview, vertexPartAtPreview;

bool samePainting(const Shared<std::vector<int>>& now, const Shared<std::vector<int>>& then) {
    return now.stamp() == then.stamp() || now.get() == then.get();
}

// Faces per part 0..3 of the input model, counted again only when its labels change.
const std::array<std::size_t, 4>& facesPerPart() {
    static std::uint64_t countedStamp = ~std::uint64_t(0);
    static std::array<std::size_t, 4> counts{};
    const Shared<std::vector<int>>& labels = inputMesh.facePart;
    if (labels.stamp() != countedStamp) {
        counts = {};
        for (int part : labels.get())
            if (part >= 0 && part < 4)
                ++counts[part];
        countedStamp = labels.stamp();
    }
    return counts;
}

const char* outputState() {
    if (!partsMeasured)
        return "not converted yet";
    if (samePainting(inputMesh.facePart, facePartAtPreview) &&
        samePainting(inputMesh.vertexPart, vertexPartAtPreview))
        return "converted";
    return "painting changed since Preview";
}

} // namespace

void noteSetupCameraStored() {
    setupCameraStored = true;
}

void notePreviewPainting() {
    facePartAtPreview = inputMesh.facePart;
    vertexPartAtPreview = inputMesh.vertexPart;
}

void noteModelOpened() {
    facePartAtPreview.clear();
    vertexPartAtPreview.clear();
}

void resetStatusNotes() {
    setupCameraStored = false;
    noteModelOpened();
}

StatusNotes currentStatusNotes() {
    return {setupCameraStored, facePartAtPreview, vertexPartAtPreview};
}

void restoreStatusNotes(const StatusNotes& notes) {
    setupCameraStored = notes.setupCameraStored;
    facePartAtPreview = notes.facePartAtPreview;
    vertexPartAtPreview = notes.vertexPartAtPreview;
}

std::string statusText() {
    std::string text = std::string("Camera: ") + (setupCameraStored ? "set up" : "not set up") +
                       "\nOutput: " + outputState() + "\n";
    const std::array<std::size_t, 4>& faces = facesPerPart();
    for (int p = 1; p < 4; ++p) {
        char line[160];
        std::snprintf(
            line, sizeof line, "%s Part %d: %zu faces\n    position %.5f, compression %.3f\n",
            p == currentPart ? ">" : " ", p, faces[p], partPosition[p], partCompression[p]);
        text += line;
    }
    return text;
}
