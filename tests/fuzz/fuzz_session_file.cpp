// libFuzzer entry: the session-file reader on arbitrary text.
#include "tests/fuzz/session_file_check.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string why =
        checkSessionFile(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!why.empty()) {
        std::fprintf(stderr, "fuzz_session_file: %s\n", why.c_str());
        std::abort();
    }
    return 0;
}
