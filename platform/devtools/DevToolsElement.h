#pragma once

#include "platform/browser/Browser.h"
#include "platform/devtools/DomContext.h"

namespace ostrel {

// An element of a tab's page, held by its remote handle. Its tagName, id,
// type, name and value are answered from the snapshot it was made with (taken
// with the collection that handed it out, or by the element's own last read
// or write) for as long as the tab's snapshot generation has not changed;
// after that the next read fetches a fresh snapshot of this element (one
// round trip). setValue() writes, then keeps what the page reports back.
// A form's elements() starts from the elements snapshot read with the form.
class DevToolsElement : public IElement {
 public:
  // elements: for a form, its elements read together with it (may be null).
  DevToolsElement(DomContextPtr context, RemoteRef ref, ElementInfo info, uint64_t generation,
                  std::shared_ptr<CollectionSnapshot> elements = nullptr);

  std::string tagName() override { return Info().tag; }
  std::string id() override { return Info().id; }
  void click() override;
  std::unique_ptr<IElementCollection> all() override;
  std::unique_ptr<IDocument> document() override;
  std::string type() override { return Info().type; }
  std::string name() override { return Info().name; }
  std::string value() override { return Info().value; }
  void setValue(const std::string& value) override;
  std::unique_ptr<IElementCollection> elements() override;
  void submit() override;

 private:
  const ElementInfo& Info();

  DomContextPtr context_;
  RemoteRef ref_;
  ElementInfo info_;
  uint64_t generation_;
  std::shared_ptr<CollectionSnapshot> elements_;
};

}  // namespace ostrel
