#pragma once

#include <memory>

#include "platform/browser/Browser.h"
#include "platform/devtools/DomContext.h"

namespace ostrel {

// A live element collection: a window's document's forms, a form's elements
// or an element's descendants. The items and their snapshots are fetched
// together (two round trips; the forms of a document bring every form's
// elements along) on first use, and fetched again when the tab's snapshot
// generation has changed since. Items handed out carry their snapshot (a
// form also the snapshot of its elements).
class DevToolsCollection : public IElementCollection {
 public:
  enum class Kind { kForms, kElements, kDescendants };
  // snapshot: one already read (a form's elements read with the forms).
  DevToolsCollection(DomContextPtr context, RemoteRef source, Kind kind,
                     std::shared_ptr<CollectionSnapshot> snapshot = nullptr);

  int32_t length() override;
  std::unique_ptr<IElement> item(int32_t index) override;
  std::unique_ptr<IElement> item(const std::string& name) override;

 private:
  void Fetch();
  std::unique_ptr<IElement> Make(size_t index);

  DomContextPtr context_;
  RemoteRef source_;
  Kind kind_;
  std::shared_ptr<CollectionSnapshot> snapshot_;
};

}  // namespace ostrel
