// A value that copies share until one of them changes it (copy on write), with a stamp that
// names its content: copies carry the same stamp, and every change gives a stamp never used
// before. A mesh's arrays are kept this way, so that
// - copying a model of millions of faces (the output model is a copy of the input model)
//   copies a few pointers, and only the arrays a conversion changes are ever duplicated;
// - whatever is built from an array (the drawing's buffers) remembers the stamps it was built
//   from and knows at no cost whether it is still current. Reading goes through const access
//   only and every write through edit(), which changes the stamp, so no change can leave a
//   stale picture.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

// A stamp never handed out before (never 0, the stamp of every default-constructed value).
inline std::uint64_t freshStamp() {
    static std::atomic<std::uint64_t> last{0};
    return ++last;
}

template <typename T> class Shared {
  public:
    Shared() = default;
    Shared(T value) : value_(std::make_shared<T>(std::move(value))), stamp_(freshStamp()) {}

    // Copies share the value and its stamp.
    Shared(const Shared&) = default;
    Shared& operator=(const Shared&) = default;
    Shared(Shared&&) noexcept = default;
    Shared& operator=(Shared&&) noexcept = default;

    Shared& operator=(T value) {
        value_ = std::make_shared<T>(std::move(value));
        stamp_ = freshStamp();
        return *this;
    }

    // Empty, as a default-constructed value (stamp 0 names every empty value).
    void clear() {
        value_.reset();
        stamp_ = 0;
    }

    const T& get() const { return value_ ? *value_ : noValue(); }
    operator const T&() const { return get(); }
    const T* operator->() const { return &get(); }

    // The value for writing: a copy of its own first when another Shared holds it too, and a
    // fresh stamp. Write through the reference before this Shared is copied or drawn again,
    // and take it anew in each command that writes.
    T& edit() {
        if (!value_ || value_.use_count() > 1)
            value_ = std::make_shared<T>(get());
        stamp_ = freshStamp();
        return *value_;
    }

    std::uint64_t stamp() const { return stamp_; }
    // True when both hold the same storage (so equal values), as copies do until one writes.
    bool sharesWith(const Shared& other) const { return value_ && value_ == other.value_; }

    // Read access in the container's own terms.
    std::size_t size() const { return get().size(); }
    bool empty() const { return get().empty(); }
    decltype(auto) operator[](std::size_t i) const { return get()[i]; }
    auto begin() const requires requires(const T& t) { t.begin(); }
    { return get().begin(); }
    auto end() const requires requires(const T& t) { t.end(); }
    { return get().end(); }
    auto data() const requires requires(const T& t) { t.data(); }
    { return get().data(); }

    friend bool operator==(const Shared& a, const Shared& b) { return a.get() == b.get(); }
    friend bool operator==(const Shared& a, const T& b) { return a.get() == b; }

  private:
    static const T& noValue() {
        static const T none{};
        return none;
    }

    std::shared_ptr<T> value_; // null: empty
    std::uint64_t stamp_ = 0;
};
