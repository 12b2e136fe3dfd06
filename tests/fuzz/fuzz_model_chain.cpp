// libFuzzer entry: a model file through the reader and every GL-free pass after it. Built twice:
// fuzz_obj_chain (HV_CHAIN runObjChain) and fuzz_gltf_chain (HV_CHAIN runGltfChain), named by
// HV_CHAIN_NAME in their reports.
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

// Each input runs in a folder of its own, as the reader finds the files a model names (MTL
// files, glTF buffers and images) in the working directory; between inputs the working directory is
// libFuzzer's again (corpus folders and crash files are relative to it).
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/hv-fuzz-XXXXXX";
    startFolder = open(".", O_RDONLY | O_DIRECTORY);
    if (startFolder < 0 || !mkdtemp(pattern)) {
        std::perror(HV_CHAIN_NAME ": cannot make a work folder");
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
    const std::string why = HV_CHAIN(data, size, ".");
    if (fchdir(startFolder) != 0)
        std::abort();
    if (!why.empty()) {
        std::fprintf(stderr, HV_CHAIN_NAME ": %s\n", why.c_str());
        std::abort();
    }
    return 0;
}
