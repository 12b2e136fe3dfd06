// Replays the session fuzzer's seeds and findings: each script runs through the program's own
// handlers on a small offscreen window and must leave well-formed files only in data/.
#include "tests/fuzz/fuzz_inputs.h"
#include "tests/fuzz/session_run.h"
#include "tests/support/console.h"

#include <gtest/gtest.h>

TEST(FuzzReplay, SessionRunsLeaveWellFormedFilesOnlyInData) {
    const std::filesystem::path home = std::filesystem::current_path();
    ASSERT_TRUE(startSessionRuns());
    captureConsole([] { replayFuzzInputs("session_run", runSessionInput); });
    std::filesystem::current_path(home);
}
