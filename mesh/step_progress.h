// How long writing passes tell their progress: the name of each step as it starts and how far
// the whole pass has come (0 .. 1). An empty one is told nothing.
#pragma once

#include <functional>

using StepProgress = std::function<void(const char* step, double fraction)>;
