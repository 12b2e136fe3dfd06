#include "app/trim_setting.h"

#include "app/app_state.h"

#include <cstring>
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

// What a cut was made from: the stamps of the input's geometry, the camera and the culling.
struct CutSource {
    std::uint64_t stamps[7] = {};
    ViewTransform view{};
    bool backFaces = false;

    CutSource() = default;
    CutSource(const SimpleMesh& input, const ViewTransform& v, bool culling)
        : stamps{input.vertices.stamp(),     input.faces.stamp(),     input.normals.stamp(),
                 input.normalFaces.stamp(),  input.texCoords.stamp(), input.texCoordFaces.stamp(),
                 input.vertexColours.stamp()},
          view(v), backFaces(culling) {}
    bool operator==(const CutSource& o) const {
        return std::memcmp(stamps, o.stamps, sizeof stamps) == 0 &&
               std::memcmp(&view, &o.view, sizeof view) == 0 && backFaces == o.backFaces;
    }
};

struct LastCut {
    CutSource source;
    TrimmedModel cut;
    bool made = false;
};

LastCut& lastCut() {
    static LastCut last;
    return last;
}

} // namespace

TrimmedModel cutToVisible(const SimpleMesh& input, const ViewTransform& view, bool backFaces,
                          const StepProgress& progress) {
    LastCut& last = lastCut();
    const CutSource source(input, view, backFaces);
    if (!last.made || !(last.source == source)) {
        last.made = false;
        last.cut = TrimmedModel{}; // let go of the old cut before making the new one
        last.cut = trimToVisible(input, view, backFaces, progress);
        last.source = source;
        last.made = true;
    }
    TrimmedModel cut = last.cut;
    cut.mesh.faces = IndexLists(last.cut.mesh.faces.get());
    takeSelection(cut, input);
    return cut;
}

void forgetLastCut() {
    lastCut() = LastCut{};
}

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
