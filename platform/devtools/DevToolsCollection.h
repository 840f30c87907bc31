#pragma once

#include <vector>

#include "platform/browser/Browser.h"
#include "platform/devtools/DomContext.h"

namespace ostrel {

// A live element collection: a window's document's forms, a form's elements
// or an element's descendants. The items and their snapshots are fetched
// together (two round trips) on first use and fetched again when the tab's
// snapshot generation has changed since; items handed out carry the
// snapshot with them.
class DevToolsCollection : public IElementCollection {
 public:
  enum class Kind { kForms, kElements, kDescendants };
  DevToolsCollection(DomContext& context, RemoteRef source, Kind kind);

  int32_t length() override;
  std::unique_ptr<IElement> item(int32_t index) override;
  std::unique_ptr<IElement> item(const std::string& name) override;

 private:
  void Fetch();
  std::unique_ptr<IElement> Make(size_t index);

  DomContext& context_;
  RemoteRef source_;
  Kind kind_;
  bool fetched_ = false;
  uint64_t generation_ = 0;
  std::vector<RemoteRef> items_;
  std::vector<ElementInfo> infos_;
};

}  // namespace ostrel
