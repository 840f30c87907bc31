#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "page/PositionIterator.h"
#include "page/WebControl.h"

namespace ostrel {

// The ordered controls of one captured form, positions 1 to Count(), in the
// order of the form's elements collection with FIELDSET elements left out.
// Owns its controls.
class WebControls {
 public:
  using iterator = PositionIterator<WebControl>;
  using const_iterator = PositionIterator<const WebControl>;

  WebControls() = default;
  WebControls(const WebControls&) = delete;
  WebControls& operator=(const WebControls&) = delete;

  // Captures elt as a new control at the end and returns it; returns nullptr
  // and adds nothing when elt's tag is exactly "FIELDSET" (case-sensitive).
  // A capture that fails throws and adds nothing. A null elt fails with
  // err::kObjectDisconnected.
  WebControl* Add(std::unique_ptr<IElement> elt);

  // The control at 1-based position vntIndexKey; err::kSubscript outside
  // 1..Count().
  WebControl& Item(int32_t vntIndexKey);
  const WebControl& Item(int32_t vntIndexKey) const;
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // Removes the control at that position; later ones move up by one.
  // err::kSubscript outside 1..Count().
  void Remove(int32_t vntIndexKey);

  iterator begin() { return iterator(items_.begin()); }
  iterator end() { return iterator(items_.end()); }
  const_iterator begin() const { return const_iterator(items_.begin()); }
  const_iterator end() const { return const_iterator(items_.end()); }

 private:
  std::vector<std::unique_ptr<WebControl>> items_;
};

}  // namespace ostrel
