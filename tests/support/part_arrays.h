// The per-part arrays that the conversion reads and writes, owned and set as "Open Mesh" leaves
// them, for the tests, the fuzz chain and the benchmarks.
#pragma once

#include "selection/depth_inversion.h"

struct PartArrays {
    float median[4] = {0.5f, 0.5f, 0.5f, 0.5f};
    float minDepth[4] = {1, 1, 1, 1};
    float maxDepth[4] = {0, 0, 0, 0};
    float position[4] = {0.5f, 0.5f, 0.5f, 0.5f};
    float compression[4] = {1, 1, 1, 1};
    PartDepthSettings settings() { return {median, minDepth, maxDepth, position, compression}; }
};
