#include "mesh/corner_lists.h"

void CornerLists::closeFace(const IndexLists& positions) {
    if (matching_) {
        // A face with positions but not as many indices here, or with no corner at all (a
        // list there, none here), breaks the match.
        const std::size_t corners = positions.openList().size();
        if (corners > 0 && pending_ == corners) {
            pending_ = 0;
            return;
        }
        stopMatching(positions);
    }
    // Once stored, every face has a list, empty for a face without indices here, so that list
    // f always belongs to face f.
    lists_.closeList();
}

void CornerLists::append(const CornerLists& other, const IndexLists& positions,
                         const IndexLists& otherPositions) {
    if (matching_ && other.matching_)
        return;
    if (matching_)
        stopMatching(positions);
    lists_.append(other.matching_ ? otherPositions : other.lists_);
}

void CornerLists::stopMatching(const IndexLists& positions) {
    lists_ = positions;
    lists_.cutOpenList(pending_);
    matching_ = false;
    pending_ = 0;
}
