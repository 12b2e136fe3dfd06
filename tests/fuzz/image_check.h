// The image decoding of the decoder process, run on arbitrary bytes: the header judge and the
// built-in decoder must agree, and a decoded picture must be whole. Shared by the libFuzzer
// program and the test that replays its seeds and findings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The first byte picks the file's extension (the formats without a signature need one), the
// rest is the file. Returns "" when every rule held, else the first broken one.
std::string checkImageInput(const std::uint8_t* data, std::size_t size);
