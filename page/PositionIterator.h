#pragma once

#include <cstddef>
#include <iterator>
#include <memory>
#include <type_traits>
#include <vector>

namespace ostrel {

// Walks an ordered collection that owns its items through unique_ptrs and
// hands out references to the items, in position order (T may be const). Used by the page
// model's collections for range-for loops.
template <typename T>
class PositionIterator {
 public:
  using Inner =
      typename std::vector<std::unique_ptr<std::remove_const_t<T>>>::const_iterator;
  using iterator_category = std::forward_iterator_tag;
  using value_type = T;
  using difference_type = std::ptrdiff_t;
  using pointer = T*;
  using reference = T&;

  PositionIterator() = default;
  explicit PositionIterator(Inner inner) : inner_(inner) {}

  T& operator*() const { return **inner_; }
  T* operator->() const { return inner_->get(); }
  PositionIterator& operator++() {
    ++inner_;
    return *this;
  }
  PositionIterator operator++(int) {
    PositionIterator before = *this;
    ++inner_;
    return before;
  }
  bool operator==(const PositionIterator& other) const = default;

 private:
  Inner inner_{};
};

}  // namespace ostrel
