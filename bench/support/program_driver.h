// The program as a batch run starts it, driven through its own commands, for the benchmarks
// that time what a user waits for: an offscreen 640 x 480 window, the start-up state, the
// commands run as the panel runs them, and the process's memory figures.
#pragma once

#include "app/app_state.h"

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <string>

constexpr int kProgramWidth = 640, kProgramHeight = 480;

// Starts the program once, in a fresh scratch folder under /tmp (with a "data" folder for the
// files the commands write) made the working directory. Returns that folder.
const std::filesystem::path& startProgram();
// Leaves the scratch folder and removes it.
void removeScratch();

// Drops what is written on stream (standard output: the passes' console lines; standard
// error: the loader's) while alive.
class QuietOutput {
  public:
    explicit QuietOutput(std::ostream& stream = std::cout);
    ~QuietOutput();
    QuietOutput(const QuietOutput&) = delete;
    QuietOutput& operator=(const QuietOutput&) = delete;

  private:
    std::ostream& stream_;
    std::streambuf* saved_;
};

// Runs the panel's command of control id, its console lines on standard output dropped.
void runCommand(ControlId id);
// "Open Mesh" or "Open Texture" answered with path.
void openFile(ControlId id, const std::string& path);
// A lasso over the window rectangle x0..x1, y0..y1 (pixels, y from the top) painting part.
void lasso(int part, int x0, int y0, int x1, int y1);
// One frame of the model chosen by "View" as the display draws it (without the swap), finished:
// from the mesh's buffers, or in immediate mode by the tests' reference drawing.
void frame(bool immediateMode = false);

// Resident memory of the process now, and at its peak since the last resetPeakMemory, in bytes.
std::uint64_t residentBytes();
std::uint64_t peakResidentBytes();
// Returns freed heap memory to the system and makes the peak the current resident memory.
void resetPeakMemory();
