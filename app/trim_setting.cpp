#include "app/trim_setting.h"

#include "app/app_state.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <deque>
#include <future>
#include <system_error>

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

// The step a cut on its own thread has reached (names are string literals).
struct CutStep {
    std::atomic<const char*> name{nullptr};
    std::atomic<double> fraction{0};
};

// A cut started ahead on a thread of its own, for the cut of this source.
struct PendingCut {
    CutSource source;
    std::future<TrimmedModel> result;
    std::shared_ptr<CutStep> step;
};

PendingCut& pendingCut() {
    static PendingCut pending;
    return pending;
}

// Lets a pending cut end and drops it.
void dropPendingCut() {
    PendingCut& pending = pendingCut();
    if (pending.result.valid())
        pending.result.wait();
    pending = PendingCut{};
}

// The pending cut's model, telling progress its steps while waiting for it.
TrimmedModel takePendingCut(const StepProgress& progress) {
    PendingCut& pending = pendingCut();
    while (pending.result.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
        if (const char* name = pending.step->name.load(); progress && name)
            progress(name, pending.step->fraction.load());
    TrimmedModel cut = pending.result.get();
    pending = PendingCut{};
    return cut;
}

} // namespace

TrimmedModel cutToVisible(const SimpleMesh& input, const ViewTransform& view, bool backFaces,
                          const StepProgress& progress) {
    LastCut& last = lastCut();
    const CutSource source(input, view, backFaces);
    if (!last.made || !(last.source == source)) {
        last.made = false;
        last.cut = TrimmedModel{}; // let go of the old cut before making the new one
        if (pendingCut().result.valid() && pendingCut().source == source) {
            last.cut = takePendingCut(progress);
        } else {
            dropPendingCut();
            last.cut = trimToVisible(input, view, backFaces, progress);
        }
        last.source = source;
        last.made = true;
    }
    TrimmedModel cut = last.cut;
    cut.mesh.faces = IndexLists(last.cut.mesh.faces.get());
    takeSelection(cut, input);
    return cut;
}

void startCutting(const SimpleMesh& input, const ViewTransform& view, bool backFaces) {
    const CutSource source(input, view, backFaces);
    if ((lastCut().made && lastCut().source == source) ||
        (pendingCut().result.valid() && pendingCut().source == source))
        return;
    dropPendingCut();
    // The thread works on its own copy of the geometry (shared arrays, copied on write), so
    // nothing the caller does meanwhile can reach it; the selection is taken when it ends.
    SimpleMesh geometry;
    geometry.vertices = input.vertices;
    geometry.normals = input.normals;
    geometry.texCoords = input.texCoords;
    geometry.vertexColours = input.vertexColours;
    geometry.faces = input.faces;
    geometry.normalFaces = input.normalFaces;
    geometry.texCoordFaces = input.texCoordFaces;
    auto step = std::make_shared<CutStep>();
    PendingCut& pending = pendingCut();
    try {
        pending.result = std::async(std::launch::async, [geometry, view, backFaces, step] {
            return trimToVisible(geometry, view, backFaces, [step](const char* name, double f) {
                step->fraction.store(f);
                step->name.store(name);
            });
        });
    } catch (const std::system_error&) {
        return; // no thread to be had: the rebuild cuts in its own time
    }
    pending.source = source;
    pending.step = step;
}

void forgetLastCut() {
    dropPendingCut();
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
