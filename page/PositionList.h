#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "page/PositionIterator.h"
#include "page/Positions.h"

namespace ostrel {

// An ordered collection of owned items at 1-based positions 1 to Count(),
// in the order they were appended; the page model's forms and controls.
// what names an item in the err::kSubscript description and must outlive
// the list (a string literal).
template <typename T>
class PositionList {
 public:
  using iterator = PositionIterator<T>;
  using const_iterator = PositionIterator<const T>;

  explicit PositionList(const char* what) : what_(what) {}
  PositionList(const PositionList&) = delete;
  PositionList& operator=(const PositionList&) = delete;

  // The item at 1-based position vntIndexKey; err::kSubscript outside
  // 1..Count().
  T& Item(int32_t vntIndexKey) { return *items_[Slot(vntIndexKey)]; }
  const T& Item(int32_t vntIndexKey) const {
    return *items_[Slot(vntIndexKey)];
  }
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // Removes the item at that position; later ones move up by one.
  // err::kSubscript outside 1..Count().
  void Remove(int32_t vntIndexKey) {
    items_.erase(items_.begin() +
                 static_cast<std::ptrdiff_t>(Slot(vntIndexKey)));
  }

  iterator begin() { return iterator(items_.begin()); }
  iterator end() { return iterator(items_.end()); }
  const_iterator begin() const { return const_iterator(items_.begin()); }
  const_iterator end() const { return const_iterator(items_.end()); }

 protected:
  // Appends item at position Count() + 1 and returns it.
  T& Append(std::unique_ptr<T> item) {
    items_.push_back(std::move(item));
    return *items_.back();
  }

 private:
  size_t Slot(int32_t position) const {
    positions::Check(position, Count(), what_);
    return static_cast<size_t>(position - 1);
  }

  const char* what_;
  std::vector<std::unique_ptr<T>> items_;
};

}  // namespace ostrel
