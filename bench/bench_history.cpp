// Undo, redo, session files and the autosave on a generated model of about one million
// triangles, driven through the program's own commands in the offscreen window:
// - a lasso loop's selection step alone, the loop as the mouse handler records it (with its
//   undo step), and one frame of the model, so that undo and redo stand beside a frame;
// - undo and redo of a loop (the state put back, no frame), and the frame drawn after one;
// - "Save Session" and "Open Session" and the session file's size;
// - lasso loops with the autosave off and on, alone and with their frame, back to back and
//   after the user's pause between loops (the previous write left to finish, untimed), and
//   how long a loop's state takes to reach the file.
// Medians of kRepeats; wall time in milliseconds.
#include "app/commands.h"
#include "app/edit_history.h"
#include "app/session_commands.h"
#include "bench/support/obj_model_file.h"
#include "bench/support/program_driver.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <vector>

namespace {

constexpr int kCells = 708; // 708 x 708 quads, two triangles each: 1,002,528 triangles
constexpr int kRepeats = 9;

template <typename Work> double millisecondsOf(Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// The median of kRepeats runs of work(i), each after prepare(i) (untimed).
template <typename Prepare, typename Work> double medianOf(Prepare&& prepare, Work&& work) {
    std::vector<double> times;
    for (int i = 0; i < kRepeats; ++i) {
        prepare(i);
        times.push_back(millisecondsOf([&] { work(i); }));
    }
    return median(times);
}

void report(const char* what, double ms) {
    std::printf("  %-58s %8.2f ms\n", what, ms);
}

// A loop over the left half of the window, alternately into part 1 and part 2, so that every
// loop changes the selection; recorded as the mouse handler records a loop.
void recordedLoop(int i) {
    const int part = 1 + i % 2;
    recordEdit("lasso loop, part " + std::to_string(part), [part] { lasso(part, 0, 0, 320, 480); });
}

} // namespace

int main() {
    startProgram();
    const std::string model = (startProgram() / "grid.obj").string();
    const double fileMB = writeGridModel(model, kCells) / 1e6;
    if (fileMB == 0) {
        std::cerr << "cannot write " << model << "\n";
        return 1;
    }
    {
        QuietOutput quietErrors(std::cerr);
        openFile(kOpenMesh, model);
        runCommand(kSetUpCamera);
        frame();
    }
    std::printf("grid of %d triangles (%.1f MB OBJ), offscreen %d x %d, medians of %d\n",
                2 * kCells * kCells, fileMB, kProgramWidth, kProgramHeight, kRepeats);
    const auto nothing = [](int) {};

    report("lasso loop, selection step alone",
           medianOf(nothing, [](int i) { lasso(1 + i % 2, 0, 0, 320, 480); }));
    report("lasso loop with its undo step (autosave off)", medianOf(nothing, recordedLoop));
    report("frame of the model (buffers, unchanged model)",
           medianOf(nothing, [](int) { frame(); }));
    report("frame right after a loop (buffers rebuilt)",
           medianOf([](int i) { recordedLoop(i); }, [](int) { frame(); }));

    std::vector<double> undo, redo, frameAfter;
    {
        QuietOutput quiet; // the lines "undo: ..." and "redo: ..."
        clearEditHistory();
        for (int i = 0; i < kRepeats; ++i)
            recordedLoop(i);
        for (int i = 0; i < kRepeats; ++i) {
            undo.push_back(millisecondsOf(undoCommand));
            frameAfter.push_back(millisecondsOf([] { frame(); }));
        }
        for (int i = 0; i < kRepeats; ++i)
            redo.push_back(millisecondsOf(redoCommand));
    }
    report("undo of a lasso loop (state put back, no frame)", median(undo));
    report("redo of a lasso loop (state put back, no frame)", median(redo));
    report("frame right after an undo (buffers rebuilt)", median(frameAfter));

    runCommand(kPreview);
    const std::string session = (startProgram() / "work.hvsession").string();
    {
        QuietOutput quiet;
        report("\"Save Session\" after two loops and \"Preview\"",
               medianOf(nothing, [&](int) { saveSessionFile(session); }));
    }
    std::printf("  %-58s %8.1f MB\n", "session file", std::filesystem::file_size(session) / 1e6);
    {
        QuietOutput quiet;
        QuietOutput quietErrors(std::cerr);
        report("\"Open Session\" (model read again, hash, arrays)",
               medianOf(nothing, [&](int) { openSessionFile(session); }));
    }

    // The autosave: the same loops with it off and on, taken in turn so that both meet the same
    // load on the machine. Back to back: each loop with its frame right after the one before
    // (the writer still busy); after a pause: the write of the loop before has ended, as when
    // the user takes a moment between loops.
    QuietOutput quiet; // the history's budget lines after many loops of this size
    std::vector<double> loop[2], backToBack[2], paused[2], written;
    for (int i = 0; i < kRepeats; ++i)
        for (int on = 0; on < 2; ++on) {
            setAutosave(on == 1);
            finishAutosave();
            loop[on].push_back(millisecondsOf([i] { recordedLoop(i); }));
            backToBack[on].push_back(millisecondsOf([i] {
                recordedLoop(i + 1);
                frame();
            }));
            finishAutosave();
            paused[on].push_back(millisecondsOf([i] {
                recordedLoop(i);
                frame();
            }));
            if (on == 1) // how long one loop's state takes to reach the file
                written.push_back(millisecondsOf([i] {
                    finishAutosave();
                    recordedLoop(i + 1);
                    finishAutosave();
                }));
        }
    setAutosave(false);
    report("loop alone, autosave off", median(loop[0]));
    report("loop alone, autosave on (its state handed to the writer)", median(loop[1]));
    report("loop and its autosave written (the writer's wait included)", median(written));
    report("loop + frame back to back, autosave off", median(backToBack[0]));
    report("loop + frame back to back, autosave on", median(backToBack[1]));
    report("loop + frame after a pause, autosave off", median(paused[0]));
    report("loop + frame after a pause, autosave on", median(paused[1]));
    std::printf("  autosave on against off: loop alone %+.0f %%, with its frame back to back "
                "%+.0f %%, after a pause %+.0f %%\n",
                100 * (median(loop[1]) / median(loop[0]) - 1),
                100 * (median(backToBack[1]) / median(backToBack[0]) - 1),
                100 * (median(paused[1]) / median(paused[0]) - 1));
    removeScratch();
    return 0;
}
