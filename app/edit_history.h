// Undo and redo of the edits: every command that changes the model, its selection, its part
// settings, the set-up camera or the texture is kept as a step holding the state before it.
// The states share the arrays they did not change (the mesh arrays are copy on write), and
// the steps together stay within a memory budget, the oldest ones dropped first.
#pragma once

#include "app/status_block.h"
#include "app/trackball.h"
#include "mesh/simple_mesh.h"

#include <array>
#include <cstddef>
#include <string>

// Everything an edit can change. View settings (pose, framing, display switches, the chosen
// part and mode) are not part of it: undo leaves the view where the user put it.
struct EditState {
    SimpleMesh input, output;
    std::array<float, 4> position{}, compression{}, minDepth{}, maxDepth{}, medianDepth{};
    bool measured = false;
    CameraPose setupCamera{};
    StatusNotes notes{};
    std::string modelPath, texturePath; // the files the work came from
    std::uint64_t modelSize = 0, modelHash = 0;
};

// The state of the program now, and putting one back (the spinner then shows the current
// part's compression).
EditState captureEditState();
void restoreEditState(const EditState& state);

// True when nothing an edit changes differs between a and b. Arrays are compared by their
// stamps, so an unchanged state is recognised at no cost.
bool sameEditState(const EditState& a, const EditState& b);

// Bytes of the arrays of state that are not shared with other: what keeping state costs
// while other is kept too.
std::size_t bytesNotSharedWith(const EditState& state, const EditState& other);

// Runs edit; when it changed the state, records a step named name (for example "lasso loop,
// part 2") and drops every step that could have been redone.
template <typename Edit> void recordEdit(const std::string& name, Edit&& edit);

// The step that undo would take back, or "" when there is none; likewise for redo.
std::string undoStepName();
std::string redoStepName();

// Undo: the state before the newest step comes back, with the line "undo: NAME"; with no step
// the line "undo: nothing to undo". Redo likewise ("redo: NAME", "redo: nothing to redo").
void undoCommand();
void redoCommand();

// Called after every recorded step, undo and redo (the autosave); null for none.
extern void (*afterEditHook)();

// Forgets every step (start-up, tests).
void clearEditHistory();

// The memory the kept steps may take (bytes of arrays they alone hold); 1 GiB at start-up.
// When a new step passes it, the oldest steps are dropped with one line
// "undo: history over its budget of B bytes; dropped the N oldest steps".
extern std::size_t editHistoryBudget;
// Bytes the kept steps take now, as weighed against the budget; the number of steps kept.
std::size_t editHistoryBytes();
std::size_t undoStepCount();

// Used by recordEdit: stores before as the step name if after differs from it.
void recordStep(const std::string& name, EditState before);

template <typename Edit> void recordEdit(const std::string& name, Edit&& edit) {
    EditState before = captureEditState();
    edit();
    recordStep(name, std::move(before));
}
