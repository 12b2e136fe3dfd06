// Fingerprints of the data a cache was built from. A cache compares the fingerprint of the
// current data with the one it was built from each time it is used, so it is rebuilt after
// any change to that data, whoever made it and however (in-place writes, copies, resizes),
// and never silently shows stale data.
#pragma once

#include "mesh/index_lists.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class ContentKey {
  public:
    // Adds the bytes of an array of plain values, with its length.
    template <typename T> ContentKey& add(const std::vector<T>& values) {
        return addBytes(values.data(), values.size() * sizeof(T));
    }
    // Adds both arrays of a list of index lists.
    ContentKey& add(const IndexLists& lists) { return add(lists.indices()).add(lists.offsets()); }
    // Adds one number.
    ContentKey& add(long long value);

    // The 64-bit fingerprint of everything added, in order. Large inputs are hashed on two
    // threads; the value does not depend on how the work was split.
    std::uint64_t value() const;

  private:
    ContentKey& addBytes(const void* data, std::size_t bytes);

    // One added item: a run of bytes (data not null) or a number.
    struct Piece {
        const unsigned char* data;
        std::size_t bytes;
        long long number;
    };
    std::vector<Piece> pieces_;
};

// The 64-bit hash of a run of bytes with a seed (a fast multiply-rotate hash in the manner
// of xxHash64: four lanes of 8-byte words, then the tail, then a final mix).
std::uint64_t hashBytes(const void* data, std::size_t bytes, std::uint64_t seed);
