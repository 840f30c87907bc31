#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "page/PositionIterator.h"
#include "page/WebForm.h"

namespace ostrel {

// The ordered forms of one captured page, positions 1 to Count(), in the
// order they were added. Owns its forms.
class WebForms {
 public:
  using iterator = PositionIterator<WebForm>;
  using const_iterator = PositionIterator<const WebForm>;

  WebForms() = default;
  WebForms(const WebForms&) = delete;
  WebForms& operator=(const WebForms&) = delete;

  // Captures frm with all its controls, sets its Index, FrameIndex and
  // FrameURL, appends it and returns it. A capture that fails throws and
  // adds nothing. A null frm fails with err::kObjectDisconnected.
  WebForm& Add(std::unique_ptr<IElement> frm, int16_t intFormIndex,
               int16_t intFrameIndex = WebForm::kTopDocument,
               std::string strFrameURL = "");

  // The form at 1-based position vntIndexKey; err::kSubscript outside
  // 1..Count().
  WebForm& Item(int32_t vntIndexKey);
  const WebForm& Item(int32_t vntIndexKey) const;
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // Removes the form at that position; later ones move up by one.
  // err::kSubscript outside 1..Count().
  void Remove(int32_t vntIndexKey);

  iterator begin() { return iterator(items_.begin()); }
  iterator end() { return iterator(items_.end()); }
  const_iterator begin() const { return const_iterator(items_.begin()); }
  const_iterator end() const { return const_iterator(items_.end()); }

 private:
  std::vector<std::unique_ptr<WebForm>> items_;
};

}  // namespace ostrel
