// The texture image of an export: a snapshot of what the 3-D view shows.
#pragma once

#include <functional>
#include <string>

// Calls renderView (which must draw the current view into the current context's read buffer
// without swapping, so the picture is not a stale one), reads width x height RGBA pixels from
// the lower-left corner, and saves them upright as a BMP at path through DevIL (the caller
// replaces the file). DevIL must be initialised. Returns "" or why it failed.
std::string writeSnapshot(int width, int height, const std::function<void()>& renderView,
                          const std::string& path);
