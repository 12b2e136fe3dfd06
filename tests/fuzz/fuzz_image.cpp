// libFuzzer entry: image files through the header judge and the built-in decoder.
#include "tests/fuzz/image_check.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string why = checkImageInput(data, size);
    if (!why.empty()) {
        std::fprintf(stderr, "fuzz_image: %s\n", why.c_str());
        std::abort();
    }
    return 0;
}
