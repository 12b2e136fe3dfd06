#include "mesh/index_lists.h"

#include "mesh/growth.h"

void IndexLists::append(const IndexLists& other) {
    const auto base = static_cast<std::uint32_t>(indices_.size());
    appendValues(indices_, other.indices_);
    ensureCapacity(offsets_, offsets_.size() + other.size());
    for (std::size_t i = 1; i < other.offsets_.size(); ++i)
        offsets_.push_back(base + other.offsets_[i]);
}
