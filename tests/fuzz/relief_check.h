// The relief panel of "Export Solid" built from an arbitrary depth image under an arbitrary
// turn of the program's camera: it must be closed and outward, and every front vertex must lie
// on its pixel, and within a tolerance every sample within it. Shared by the libFuzzer program and the test that replays its findings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Bytes 0 and 1 give the image's width and height (2 to 32), bytes 2 to 4 the camera's turn,
// mirroring, thickness and background merging, byte 5 the tolerance (0: the full grid); every
// further byte one sample (cycled when the input is short). Returns "" when every rule held,
// else the first broken one: for a tolerance, a sample whose line of sight meets the front
// farther away or shows another texel than its own.
std::string checkReliefInput(const std::uint8_t* data, std::size_t size);
