// A list of index lists stored flat: one array of indices and one array of offsets.
// Copying a mesh of millions of faces is then two bulk copies instead of millions of
// small allocations. lists[f] reads like a vector of vectors: the corners of face f.
// Every index read from a file is checked with isIndex before it is followed.
#pragma once

#include "mesh/growth.h"

#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

// True when i names an element of an array of count elements.
inline bool isIndex(long long i, std::size_t count) {
    return i >= 0 && static_cast<unsigned long long>(i) < count;
}

class IndexLists {
  public:
    IndexLists() : offsets_{0} {}
    IndexLists(std::initializer_list<std::initializer_list<int>> lists) : offsets_{0} {
        for (const auto& l : lists)
            push_back(std::span<const int>(l.begin(), l.size()));
    }

    // Number of lists.
    std::size_t size() const { return offsets_.size() - 1; }
    bool empty() const { return size() == 0; }
    // Total number of indices over all lists.
    std::size_t totalSize() const { return indices_.size(); }

    std::span<const int> operator[](std::size_t i) const {
        return {indices_.data() + offsets_[i], offsets_[i + 1] - offsets_[i]};
    }
    std::span<int> operator[](std::size_t i) {
        return {indices_.data() + offsets_[i], offsets_[i + 1] - offsets_[i]};
    }
    std::size_t count(std::size_t i) const { return offsets_[i + 1] - offsets_[i]; }

    // Appends one list.
    void push_back(std::span<const int> list) {
        indices_.insert(indices_.end(), list.begin(), list.end());
        offsets_.push_back(static_cast<std::uint32_t>(indices_.size()));
    }
    // Building a list in place: its indices go straight into the flat array (the open list),
    // and the list is closed by recording where it ends, or dropped by cutting the array back.
    void addToOpenList(int value) { pushValue(indices_, value); }
    bool hasOpenList() const { return indices_.size() > offsets_.back(); }
    std::span<const int> openList() const {
        return {indices_.data() + offsets_.back(), indices_.size() - offsets_.back()};
    }
    void closeList() { pushValue(offsets_, static_cast<std::uint32_t>(indices_.size())); }
    // Keeps the first `keep` indices of the open list.
    void cutOpenList(std::size_t keep) { indices_.resize(offsets_.back() + keep); }
    void dropOpenList() { cutOpenList(0); }

    // Appends the lists of other after these. The caller keeps the total number of indices
    // within the 32-bit offsets.
    void append(const IndexLists& other);

    void clear() {
        indices_.clear();
        offsets_.assign(1, 0);
    }
    // Room for lists and indices without growing, advised for huge pages before first use.
    void reserve(std::size_t lists, std::size_t indices) {
        ensureCapacity(offsets_, lists + 1);
        ensureCapacity(indices_, indices);
    }

    // Builds from raw arrays (moved in): offsets must start at 0, be non-decreasing and end at
    // indices.size(). Returns false and leaves this unchanged when they do not.
    bool assign(std::vector<int>&& indices, std::vector<std::uint32_t>&& offsets) {
        if (offsets.empty() || offsets.front() != 0 || offsets.back() != indices.size())
            return false;
        for (std::size_t i = 1; i < offsets.size(); ++i)
            if (offsets[i] < offsets[i - 1])
                return false;
        indices_ = std::move(indices);
        offsets_ = std::move(offsets);
        return true;
    }

    const std::vector<int>& indices() const { return indices_; }
    const std::vector<std::uint32_t>& offsets() const { return offsets_; }

    bool operator==(const IndexLists& o) const {
        return indices_ == o.indices_ && offsets_ == o.offsets_;
    }

  private:
    std::vector<int> indices_;
    std::vector<std::uint32_t> offsets_; // size() + 1 entries, first is 0
};
