// Whole sessions executed, not only parsed: an arbitrary script runs through the program's own
// handlers on a small offscreen window, in a scratch folder that holds a few small models and
// images. Shared by the libFuzzer program and the test that replays its seeds and findings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Makes a fresh scratch folder, writes the seed models and images into it and starts the
// offscreen program (once per process). False when no OpenGL context can be
// made.
bool startSessionRuns();

// Runs the script text in the scratch folder as the working directory (after a fresh start: a 64 x
// 48 window and the first seed model) with every command that names a file pointed at the scratch
// folder's files, the window held small and the commands that end the process left out. Returns ""
// when nothing crashed, no file outside the scratch folder's data/ and screenshots was made, and
// every OBJ and STL file written is well formed and free of NaN and infinity; else the first broken
// rule. Clears data/ afterwards.
std::string runSessionInput(const std::uint8_t* data, std::size_t size);
