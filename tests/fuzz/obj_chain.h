// The GL-free road of one model file through the program (OBJ or glTF), run on arbitrary bytes:
// reading through SimpleMesh::load, the "Open Mesh" reset, normals, lasso labels and visibility
// toggles, the depth conversion, the pair search, and the export and triangulation writers
// into memory. Shared by the libFuzzer program and the test that replays its findings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Separates the OBJ text of an input from the text of the MTL file "in.mtl" that it may name.
inline constexpr const char* kMtlSeparator = "\n#%MTL\n";

// Writes the input as folder/in.obj (and folder/in.mtl, see kMtlSeparator) and runs the whole
// chain on it, with labels, visibility, camera and part settings drawn from a generator
// seeded by the input's bytes. folder must be the working directory (the reader resolves
// MTL names against it). Returns "" when every check held, else the first broken rule.
std::string runObjChain(const std::uint8_t* data, std::size_t size, const std::string& folder);

// The same chain for a glTF file: the input is written as folder/in.glb when it starts as a
// binary glTF file does ("glTF"), else as folder/in.gltf.
std::string runGltfChain(const std::uint8_t* data, std::size_t size, const std::string& folder);
