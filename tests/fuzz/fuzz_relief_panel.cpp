// libFuzzer entry: the relief panel from arbitrary depth images and camera turns.
#include "tests/fuzz/relief_check.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string why = checkReliefInput(data, size);
    if (!why.empty()) {
        std::fprintf(stderr, "fuzz_relief_panel: %s\n", why.c_str());
        std::abort();
    }
    return 0;
}
