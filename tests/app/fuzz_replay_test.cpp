// Replays every seed and every kept finding of the fuzz programs through the same checks the
// fuzzers apply, so that an ordinary build catches a return of any fault they once found.
#include "tests/fuzz/fuzz_inputs.h"
#include "tests/fuzz/obj_chain.h"
#include "tests/fuzz/script_check.h"
#include "tests/support/console.h"
#include "tests/support/gl_test.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Runs one model input in a scratch folder made the working directory (the reader looks for
// MTL files there), with the console lines of the passes swallowed.
std::string runModel(const std::string& bytes, bool gltf = false) {
    TempDir scratch;
    const fs::path home = fs::current_path();
    fs::current_path(scratch.path());
    std::string why;
    captureConsole([&] {
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
        why = gltf ? runGltfChain(data, bytes.size(), scratch.path().string())
                   : runObjChain(data, bytes.size(), scratch.path().string());
    });
    fs::current_path(home);
    return why;
}

void replayModels(const std::string& folder) {
    for (const fs::path& file : fuzzInputs(folder, "obj_chain"))
        EXPECT_EQ(runModel(readFile(file.string())), "") << file;
    for (const fs::path& file : fuzzInputs(folder, "gltf_chain"))
        EXPECT_EQ(runModel(readFile(file.string()), true), "") << file;
}

void replayScripts(const std::string& folder) {
    for (const fs::path& file : fuzzInputs(folder, "session_script"))
        EXPECT_EQ(checkSessionScript(readFile(file.string())), "") << file;
}

} // namespace

TEST(FuzzReplay, ModelFindingsStayFixed) {
    replayModels("regressions");
}

TEST(FuzzReplay, ModelSeedsPassTheChain) {
    replayModels("corpus");
}

TEST(FuzzReplay, ScriptFindingsAndSeedsPassTheParserChecks) {
    replayScripts("regressions");
    replayScripts("corpus");
}
