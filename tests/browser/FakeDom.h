#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "browser/IClock.h"
#include "platform/browser/Browser.h"

// A small in-memory page behind the browser interface, for the browser
// layer's unit tests: documents with forms and frames, elements with a tag,
// type, name, id and value, and counters of what the code under test did.
namespace ostrel::fake {

struct Doc;

struct Node {
  std::string tag;  // as tagName() reports it
  std::string type, name, id, value;
  std::vector<std::shared_ptr<Node>> children;
  Doc* doc = nullptr;
  int clicks = 0;
  int submits = 0;
  int writes = 0;
};
using NodePtr = std::shared_ptr<Node>;

NodePtr El(std::string tag, std::string type = {}, std::string name = {},
           std::string id = {}, std::string value = {});
NodePtr Wrap(std::string tag, std::vector<NodePtr> children);
NodePtr Form(std::string name, std::vector<NodePtr> children);

struct Frame;

struct Doc {
  std::string url, title, readyState = "complete";
  std::vector<NodePtr> forms;
  std::vector<std::shared_ptr<Frame>> frames;
  std::vector<std::string> scripts;  // what execScript ran, in order
  std::vector<std::string> scriptOrigins;  // the origin each was bound to
  std::vector<std::string> urlWrites;
  int framesCalls = 0;
  int formsCalls = 0;
  // Sets each node's document, recursively.
  void Adopt();
};
using DocPtr = std::shared_ptr<Doc>;

struct Frame {
  DocPtr doc;
  bool denied = false;  // another site's frame
};

DocPtr MakeDoc(std::string url, std::string title, std::vector<NodePtr> forms);

// Every node whose tag a form's elements collection lists, in document order.
bool IsListed(const std::string& tag);

class Browser : public IBrowser {
 public:
  DocPtr doc;  // nullptr: no HTML document
  int32_t readyState = 4;
  std::vector<std::string> navigations;
  BeforeNavigateHandler handler;
  // Called by Navigate after it recorded the address.
  std::function<void(const std::string&)> onNavigate;

  void Navigate(const std::string& url) override;
  int32_t ReadyState() override { return readyState; }
  std::unique_ptr<IDocument> Document() override;
  void SetBeforeNavigate(BeforeNavigateHandler h) override { handler = std::move(h); }

  // The before-navigate notification of the top document for url (a
  // "javascript:" address as a clicked script link).
  void Fire(const std::string& url) {
    NavigationInfo navigation;
    navigation.kind = url.rfind("javascript:", 0) == 0 ? NavigationInfo::Kind::kScriptLink
                                                       : NavigationInfo::Kind::kNavigate;
    navigation.url = url;
    navigation.document_url = doc ? doc->url : "";
    Fire(navigation);
  }
  void Fire(const NavigationInfo& navigation) {
    if (handler) handler(navigation);
  }
};

class Clock : public IClock {
 public:
  int64_t now = 1'000'000;
  int64_t Now() override { return now; }
};

class Pump : public IEventPump {
 public:
  int passes = 0;
  std::function<void()> onPass;
  void ProcessPending() override {
    ++passes;
    if (onPass) onPass();
  }
};

std::unique_ptr<IDocument> DocumentOf(DocPtr doc);

}  // namespace ostrel::fake
