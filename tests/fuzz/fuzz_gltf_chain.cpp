// libFuzzer entry: a glTF file through the reader and every GL-free pass after it.
#include "tests/fuzz/obj_chain.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include <fcntl.h>
#include <unistd.h>

namespace {

std::filesystem::path workFolder;
int startFolder = -1; // the working directory libFuzzer resolves its own paths against

void removeWorkFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(workFolder, ignored);
}

} // namespace

// Each input runs in a folder of its own (a glTF file may name files beside it); between
// inputs the working directory is libFuzzer's again (corpus folders and
// crash files are relative to it).
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/hv-fuzz-XXXXXX";
    startFolder = open(".", O_RDONLY | O_DIRECTORY);
    if (startFolder < 0 || !mkdtemp(pattern)) {
        std::perror("fuzz_gltf_chain: cannot make a work folder");
        std::exit(1);
    }
    workFolder = pattern;
    std::atexit(removeWorkFolder);
    // Streams without a buffer drop what they are given: the reader's and the passes' console
    // lines would drown libFuzzer's own reports.
    std::cout.rdbuf(nullptr);
    std::cerr.rdbuf(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (chdir(workFolder.c_str()) != 0)
        std::abort();
    const std::string why = runGltfChain(data, size, ".");
    if (fchdir(startFolder) != 0)
        std::abort();
    if (!why.empty()) {
        std::fprintf(stderr, "fuzz_gltf_chain: %s\n", why.c_str());
        std::abort();
    }
    return 0;
}
