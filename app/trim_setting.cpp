#include "app/trim_setting.h"

#include "app/app_state.h"

#include <deque>

int trimHidden = 0;

namespace {

struct TrimmedInput {
    SimpleMesh mesh;
    std::vector<int> sourceFace;
    SimpleMesh wholeOutput;
};

// Newest first. Each is a few shared arrays plus the cut's own new ones.
constexpr std::size_t kKeptCuts = 4;

std::deque<TrimmedInput>& keptCuts() {
    static std::deque<TrimmedInput> cuts;
    return cuts;
}

// The kept cut whose faces the output model's are (copies share them until written, and the
// conversion never writes the faces).
const TrimmedInput* cutOfOutput() {
    for (const TrimmedInput& cut : keptCuts())
        if (outputMesh.faces.sharesWith(cut.mesh.faces))
            return &cut;
    return nullptr;
}

} // namespace

const SimpleMesh& conversionInput() {
    const TrimmedInput* cut = cutOfOutput();
    return cut ? cut->mesh : inputMesh;
}

const std::vector<int>* outputSourceFaces() {
    const TrimmedInput* cut = cutOfOutput();
    return cut ? &cut->sourceFace : nullptr;
}

const SimpleMesh& wholeFaceOutput() {
    const TrimmedInput* cut = cutOfOutput();
    return cut ? cut->wholeOutput : outputMesh;
}

void keepTrimmedInput(SimpleMesh cut, std::vector<int> sourceFace, SimpleMesh wholeOutput) {
    std::deque<TrimmedInput>& cuts = keptCuts();
    cuts.push_front({std::move(cut), std::move(sourceFace), std::move(wholeOutput)});
    while (cuts.size() > kKeptCuts)
        cuts.pop_back();
}
