// How the decoder process hands its result back on its standard output: a 16-byte record,
// then (on success) the pixels. Both sides include this one definition.
#pragma once

#include <cstdint>
#include <cstring>

// Magic "HVIM", status, width, height, then byte count of what follows: width x height x 4
// pixel bytes (bottom row first) on success, the reason's text on failure.
struct DecoderRecord {
    char magic[4] = {'H', 'V', 'I', 'M'};
    std::uint32_t status = 0; // 0 decoded, 1 failed, 2 failed as too large
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t bytes = 0;
    bool valid() const { return std::memcmp(magic, "HVIM", 4) == 0 && status <= 2; }
};

// The decoder process's arguments: maxSide and the file's extension. Its limits: CPU seconds
// (also the wall-clock time the caller waits, doubled) and address space.
constexpr unsigned kDecoderCpuSeconds = 10;
constexpr unsigned long long kDecoderAddressSpace = 6ULL << 30;
// The largest image file handed to the decoder.
constexpr unsigned long long kMaxImageFileBytes = 1ULL << 30;
