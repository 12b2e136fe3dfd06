// Bounds check for indices that come from files unvalidated (face corners, face numbers).
#pragma once

#include <cstddef>

// True when i names an element of an array of count elements.
inline bool isIndex(long long i, std::size_t count) {
    return i >= 0 && static_cast<unsigned long long>(i) < count;
}
