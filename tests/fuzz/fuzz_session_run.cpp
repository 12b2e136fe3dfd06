// libFuzzer entry: session scripts executed on a small offscreen window.
#include "tests/fuzz/session_run.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The passes' trace lines would drown the fuzzer's own.
    std::cout.rdbuf(nullptr);
    std::cerr.rdbuf(nullptr);
    if (!startSessionRuns()) {
        std::fprintf(stderr, "fuzz_session_run: no offscreen OpenGL context\n");
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string why = runSessionInput(data, size);
    if (!why.empty()) {
        std::fprintf(stderr, "fuzz_session_run: %s\n", why.c_str());
        std::abort();
    }
    return 0;
}
