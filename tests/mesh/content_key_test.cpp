// The fingerprints that decide when a mesh's buffers are rebuilt: any change to the data must
// change the fingerprint, whatever its size (large arrays are hashed on two threads), and
// equal data must give equal fingerprints wherever it is stored.
#include "mesh/content_key.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

std::uint64_t keyOf(const std::vector<int>& a, const std::vector<int>& b, long long n = 0) {
    return ContentKey().add(a).add(b).add(n).value();
}

TEST(ContentKey, EveryChangeChangesTheKey) {
    // 3 MB (one thread) and 12 MB (two threads, a dozen chunks) of data.
    for (std::size_t count : {std::size_t(3) << 18, std::size_t(3) << 20}) {
        std::vector<int> data(count), other(17, 5);
        for (std::size_t i = 0; i < count; ++i)
            data[i] = static_cast<int>(i * 2654435761u);
        const std::uint64_t key = keyOf(data, other);
        EXPECT_EQ(keyOf(std::vector<int>(data), std::vector<int>(other)), key)
            << "equal data stored elsewhere";

        // One bit anywhere: the first and last word, either side of a chunk boundary.
        const std::size_t chunkInts = (std::size_t(1) << 20) / sizeof(int);
        for (std::size_t at : {std::size_t(0), chunkInts - 1, chunkInts, count / 2, count - 1}) {
            data[at] ^= 1 << 30;
            EXPECT_NE(keyOf(data, other), key) << "bit flipped in word " << at << " of " << count;
            data[at] ^= 1 << 30;
        }
        other[16] = 6;
        EXPECT_NE(keyOf(data, other), key) << "the second array's last word";
        other[16] = 5;
        EXPECT_NE(keyOf(data, other, 1), key) << "the number";

        // The same words split differently between the two arrays.
        std::vector<int> longer = data, shorter = other;
        longer.push_back(shorter.front());
        shorter.erase(shorter.begin());
        EXPECT_NE(keyOf(longer, shorter), key) << "a word moved from one array to the other";
        EXPECT_EQ(keyOf(data, other), key);
    }
}

TEST(ContentKey, EmptyArraysAndIndexListsCount) {
    const std::vector<int> none, one{1};
    EXPECT_NE(ContentKey().add(none).add(one).value(), ContentKey().add(one).add(none).value());
    EXPECT_NE(ContentKey().add(one).value(), ContentKey().add(one).add(none).value());

    // Index lists: the same corners grouped into other faces give another key.
    const IndexLists twoTriangles{{0, 1, 2}, {2, 1, 3}}, triangleAndQuad{{0, 1}, {2, 2, 1, 3}};
    EXPECT_NE(ContentKey().add(twoTriangles).value(), ContentKey().add(triangleAndQuad).value());
    EXPECT_EQ(ContentKey().add(twoTriangles).value(),
              ContentKey().add(IndexLists{{0, 1, 2}, {2, 1, 3}}).value());
}

} // namespace
