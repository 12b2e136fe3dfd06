// Growing the large arrays a model is read into.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include <sys/mman.h>

// Asks the kernel to back the whole 2 MiB pages of a fresh buffer with huge pages: filling
// hundreds of megabytes 4 KiB page by page costs more in page faults than the parsing. The
// stretch before the first whole huge page (up to 2 MiB, filled first) is made resident in
// one call rather than by a page fault for each of its 4 KiB pages.
inline void adviseHugePages(const void* data, std::size_t bytes) {
    constexpr std::uintptr_t huge = std::uintptr_t{2} << 20, page = 4096;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const auto first = (start + huge - 1) & ~(huge - 1);
    const auto last = (start + bytes) & ~(huge - 1);
    if (last > first) {
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
        const std::uintptr_t head = start & ~(page - 1);
        if (first > head)
            madvise(reinterpret_cast<void*>(head), first - head, MADV_POPULATE_WRITE);
    }
}

// Makes room for `needed` values, at least doubling the capacity when it runs out; the new
// buffer is advised before the old contents are copied into it.
template <typename T>
[[gnu::noinline]] void ensureCapacity(std::vector<T>& values, std::size_t needed) {
    if (needed <= values.capacity())
        return;
    std::vector<T> bigger;
    bigger.reserve(std::max(needed, 2 * values.capacity()));
    adviseHugePages(bigger.data(), bigger.capacity() * sizeof(T));
    bigger.insert(bigger.end(), values.begin(), values.end());
    values.swap(bigger);
}

template <typename T> void appendValues(std::vector<T>& values, const std::vector<T>& more) {
    ensureCapacity(values, values.size() + more.size());
    values.insert(values.end(), more.begin(), more.end());
}

// count copies of value, in a buffer advised before it is first touched.
template <typename T> std::vector<T> filledValues(std::size_t count, const T& value) {
    std::vector<T> values;
    ensureCapacity(values, count);
    values.assign(count, value);
    return values;
}

// push_back that grows as ensureCapacity does.
template <typename T>
[[gnu::always_inline]] inline void pushValue(std::vector<T>& values, const T& value) {
    if (values.size() == values.capacity()) [[unlikely]]
        ensureCapacity(values, values.size() + 1);
    values.push_back(value);
}
