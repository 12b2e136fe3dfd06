// The texture or the normal index lists of a stretch of faces, stored only where they differ
// from the position lists. Most files repeat the position index in every corner
// ("f 1/1/1 2/2/2 3/3/3"): their lists equal the position lists and cost neither memory nor
// copying until a face breaks the match, when the position lists so far are copied in once.
#pragma once

#include "mesh/index_lists.h"

#include <cstddef>

class CornerLists {
  public:
    // The next index of the face being read, whose position indices so far are the open list
    // of positions.
    void add(int value, const IndexLists& positions) {
        if (matching_) {
            const std::span<const int> open = positions.openList();
            if (pending_ < open.size() && open[pending_] == value) {
                ++pending_;
                return;
            }
            stopMatching(positions);
        }
        lists_.addToOpenList(value);
    }
    // Ends the face being read: once the lists are stored, every face adds one (empty when the
    // face had no index here). Call before the positions' own list is closed.
    void closeFace(const IndexLists& positions);
    // Forgets the indices of the face being read.
    void dropFace() {
        pending_ = 0;
        if (!matching_)
            lists_.dropOpenList();
    }
    // Appends other, whose position lists are otherPositions, after these, whose position
    // lists are positions; both between faces, before positions gets otherPositions appended.
    void append(const CornerLists& other, const IndexLists& positions,
                const IndexLists& otherPositions);
    // Empty, matching the empty position lists, keeping the memory.
    void clear() {
        matching_ = true;
        pending_ = 0;
        lists_.clear();
    }

    // True while the lists equal the position lists; lists() is then empty.
    bool matchesPositions() const { return matching_; }
    IndexLists& lists() { return lists_; }
    const IndexLists& lists() const { return lists_; }

  private:
    // Stores the lists from now on: the position lists so far with the indices of the face
    // being read.
    void stopMatching(const IndexLists& positions);

    bool matching_ = true;
    std::size_t pending_ = 0; // while matching: indices of the face being read so far
    IndexLists lists_;
};
