// Replays the relief-panel fuzzer's seeds and findings through its checks: closed, outward,
// and every front vertex on its pixel.
#include "tests/fuzz/fuzz_inputs.h"
#include "tests/fuzz/relief_check.h"

#include <gtest/gtest.h>

TEST(FuzzReplay, ReliefPanelsOfSeedsAndFindingsAreClosedAndOnTheirPixels) {
    replayFuzzInputs("relief_panel", checkReliefInput);
}
