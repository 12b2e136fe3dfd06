// Which triangles of a picture lie alone on the screen, proven for a whole mesh at once from its
// outline instead of triangle against triangle. Pure geometry, no OpenGL context.
//
// The number of triangles over a point of the screen is the winding number round it of the
// outline: the sum of the triangles' edges, each triangle taken counter-clockwise, where an edge
// that two triangles side by side share in opposite directions cancels. Within a stretch of
// the mesh that stays clear of the outline that number cannot change, so one count by ray
// casting settles every triangle of the stretch. A smooth surface seen from the front has an
// outline only along its silhouette and its borders: all but the triangles there are settled
// at once.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

struct WindowPoint {
    double x, y;
};

// points: the window position of each vertex (vertices no triangle names are not read).
// triangles: the corner vertices of the triangles drawn, each with a positive area on the
// screen, turning either way; every index below points.size(), every coordinate of their
// corners finite and below 1e6 in size.
// Returns one flag per triangle: 1 where no other of the triangles covers any of its inside
// (proven: it lies clear of the outline, and the outline winds once round it), 0 where that is
// not proven (it touches the outline, or more than one layer lies over it), so the caller must
// look at it triangle by triangle. Corners at the same window position count as one point.
std::vector<unsigned char>
singleLayerTriangles(std::span<const WindowPoint> points,
                     std::span<const std::array<std::uint32_t, 3>> triangles);
