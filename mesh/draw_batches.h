// Sending many triangles in batches. A software rasteriser (Mesa's llvmpipe) bins a draw's
// triangles on the calling thread and rasterises them on its worker threads only when the
// frame is flushed; sending a large mesh in batches with a flush after each lets the workers
// fill the window with one batch while the next is transformed and binned. The triangles,
// their order and so the pixels are the same as with one call.
#pragma once

#include <cstddef>

// Triangles per batch: large enough that the calls cost nothing next to the work, small
// enough that the rasteriser's workers are kept busy.
constexpr std::size_t kBatchTriangles = 32768;

// glDrawRangeElements of GL_TRIANGLES over `count` unsigned-int indices (a multiple of 3)
// starting at byte offset `at` of the bound element buffer, all naming entries below
// `entries`, in batches.
void drawIndexedTriangles(std::size_t at, std::size_t count, std::size_t entries);

// Whether polygons are drawn as outlines or points (glPolygonMode other than GL_FILL on
// either side): only then do edge flags matter, so only then are they sent.
bool outlinesDrawn();

// glDrawArrays of GL_TRIANGLES over `count` vertices (a multiple of 3) from vertex 0 of the
// enabled arrays, in batches.
void drawArrayTriangles(std::size_t count);
