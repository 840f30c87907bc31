#include "window/ControlList.h"

namespace ostrel {

void ControlList::Add(QWidget* widget, ControlKind kind, std::string name, TabPlace tab,
                      int16_t index) {
  mEntries.push_back({widget, kind, std::move(name), index, tab.index, tab.step});
}

const ControlEntry* ControlList::Find(const QWidget* widget) const {
  for (const ControlEntry& entry : mEntries) {
    if (entry.widget == widget) return &entry;
  }
  return nullptr;
}

}  // namespace ostrel
