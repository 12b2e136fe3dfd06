// The seeds and kept findings of a fuzz program, for the tests that replay them.
#pragma once

#include "tests/support/gl_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// The files of tests/fuzz/FOLDER/NAME ("corpus" or "regressions"), in name order; none when
// the folder does not exist.
inline std::vector<std::filesystem::path> fuzzInputs(const std::string& folder,
                                                     const std::string& name) {
    std::vector<std::filesystem::path> files;
    const std::filesystem::path dir = sourcePath("tests/fuzz/" + folder + "/" + name);
    if (!std::filesystem::is_directory(dir))
        return files;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.is_regular_file() && entry.path().filename() != "README")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// Runs check on the bytes of every seed and finding of NAME; each must give "".
template <typename Check> void replayFuzzInputs(const std::string& name, Check check) {
    for (const char* folder : {"regressions", "corpus"})
        for (const std::filesystem::path& file : fuzzInputs(folder, name)) {
            const std::string bytes = readFile(file.string());
            EXPECT_EQ(check(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), "")
                << file;
        }
}
