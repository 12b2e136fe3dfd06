// Writes large textured OBJ models for the loading benchmarks.
#pragma once

#include <cstdint>
#include <string>

// Writes a wavy height field of cells x cells quads, each split into two triangles, with one
// "v", "vt" and "vn" line per grid point and "f a/a/a b/b/b c/c/c" faces, to path. Returns the
// file's size in bytes (0 when it could not be written).
std::uint64_t writeGridModel(const std::string& path, int cells);
