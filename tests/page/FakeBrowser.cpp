#include "tests/page/FakeBrowser.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"
#include "support/TextCase.h"
#include "tests/page/FakeHtml.h"

namespace ostrel::fake {

struct Window;

struct Document {
  std::string url;
  Page page;
  std::vector<std::shared_ptr<Window>> frames;
};

struct Window {
  std::shared_ptr<Document> doc;
};

struct BrowserState {
  Loader loader;
  std::shared_ptr<Window> top;
  IBrowser::BeforeNavigateHandler handler;
  int live_elements = 0;
  bool gone = false;
  bool crash_on_frame = false;

  void CheckAlive() const {
    if (gone) throw OstrelError(err::kBrowserGone, "the browser has gone away");
  }

  void Load(Window& window, const std::string& url, int depth) {
    auto doc = std::make_shared<Document>();
    doc->url = url;
    doc->page = ParseHtml(loader(url).value_or(""));
    if (depth < 4) {
      std::vector<std::shared_ptr<Node>> frames;
      Collect(doc->page.root,
              [](const Node& n) { return n.tag == "FRAME" || n.tag == "IFRAME"; },
              frames);
      for (const auto& frame : frames) {
        auto child = std::make_shared<Window>();
        Load(*child, ResolveUrl(url, frame->Attr("src")), depth + 1);
        doc->frames.push_back(child);
      }
    }
    window.doc = doc;
  }

  void NavigateWindow(Window& window, const std::string& url) {
    CheckAlive();
    if (handler) {
      NavigationInfo navigation;
      navigation.kind = url.rfind("javascript:", 0) == 0 ? NavigationInfo::Kind::kScriptLink
                                                         : NavigationInfo::Kind::kNavigate;
      navigation.url = url;
      navigation.document_url = window.doc ? window.doc->url : "";
      navigation.top_level = &window == top.get();
      handler(navigation);
    }
    if (url.rfind("javascript:", 0) == 0) return;
    Load(window, url, 0);
  }
};

namespace {

std::string Upper(std::string s) { return UpperAscii(std::move(s)); }

bool IsListed(const Node& n) {
  const std::string tag = Upper(n.tag);
  if (tag == "INPUT") return Upper(n.Attr("type")) != "IMAGE";
  return tag == "SELECT" || tag == "TEXTAREA" || tag == "BUTTON" ||
         tag == "FIELDSET" || tag == "OUTPUT" || tag == "OBJECT";
}

bool Contains(const std::shared_ptr<Node>& root, const Node* node) {
  for (const auto& child : root->children) {
    if (child.get() == node || Contains(child, node)) return true;
  }
  return false;
}

using Nodes = std::vector<std::shared_ptr<Node>>;

class FakeCollection;
class FakeDocument;

class FakeElement : public IElement {
 public:
  FakeElement(std::shared_ptr<BrowserState> state, std::shared_ptr<Window> window,
              std::shared_ptr<Node> node)
      : state_(std::move(state)), window_(std::move(window)), node_(std::move(node)) {
    ++state_->live_elements;
  }
  ~FakeElement() override { --state_->live_elements; }

  std::string tagName() override { return Read("tagName", node_->tag); }
  std::string id() override { return Read("id", node_->Attr("id")); }
  void click() override;
  std::unique_ptr<IElementCollection> all() override;
  std::unique_ptr<IDocument> document() override;
  std::string type() override {
    if (Upper(node_->tag) != "INPUT") return Read("type", "");
    return Read("type", node_->HasAttr("type") ? node_->Attr("type") : "text");
  }
  std::string name() override { return Read("name", node_->Attr("name")); }
  std::string value() override { return Read("value", node_->value); }
  void setValue(const std::string& value) override {
    Read("setValue", "");
    const std::string tag = Upper(node_->tag);
    if (tag == "INPUT" || tag == "TEXTAREA") node_->value = value;
  }
  std::unique_ptr<IElementCollection> elements() override;
  void submit() override;

 private:
  std::string Read(const std::string& what, std::string result) const {
    state_->CheckAlive();
    if (node_->Fails(what)) {
      throw OstrelError(err::kObjectDisconnected, "refused read: " + what);
    }
    return result;
  }
  void RequireForm() const {
    if (Upper(node_->tag) != "FORM") {
      throw OstrelError(err::kObjectRequired, "not a form");
    }
  }

  std::shared_ptr<BrowserState> state_;
  std::shared_ptr<Window> window_;
  std::shared_ptr<Node> node_;
};

class FakeCollection : public IElementCollection {
 public:
  FakeCollection(std::shared_ptr<BrowserState> state, std::shared_ptr<Window> window,
                 Nodes nodes)
      : state_(std::move(state)), window_(std::move(window)), nodes_(std::move(nodes)) {}

  int32_t length() override {
    state_->CheckAlive();
    return static_cast<int32_t>(nodes_.size());
  }
  std::unique_ptr<IElement> item(int32_t index) override {
    state_->CheckAlive();
    if (index < 0 || index >= length()) return nullptr;
    return Make(nodes_[static_cast<size_t>(index)]);
  }
  std::unique_ptr<IElement> item(const std::string& name) override {
    state_->CheckAlive();
    for (const auto& n : nodes_) {
      if (n->Attr("name") == name) return Make(n);
    }
    for (const auto& n : nodes_) {
      if (n->Attr("id") == name) return Make(n);
    }
    return nullptr;
  }

 private:
  std::unique_ptr<IElement> Make(const std::shared_ptr<Node>& n) {
    return std::make_unique<FakeElement>(state_, window_, n);
  }

  std::shared_ptr<BrowserState> state_;
  std::shared_ptr<Window> window_;
  Nodes nodes_;
};

class FakeWindow : public IWindow {
 public:
  FakeWindow(std::shared_ptr<BrowserState> state, std::shared_ptr<Window> window,
             std::string accessor_origin)
      : state_(std::move(state)),
        window_(std::move(window)),
        accessor_origin_(std::move(accessor_origin)) {}

  std::unique_ptr<IDocument> Document() override;
  void execScript(const std::string&, const OriginRule&) override {
    state_->CheckAlive();
    throw OstrelError(err::kScriptError, "the in-memory browser runs no script");
  }

 private:
  std::shared_ptr<BrowserState> state_;
  std::shared_ptr<Window> window_;
  std::string accessor_origin_;
};

class FakeFrames : public IFramesCollection {
 public:
  FakeFrames(std::shared_ptr<BrowserState> state, std::shared_ptr<Window> window)
      : state_(std::move(state)), window_(std::move(window)) {}

  int32_t length() override {
    state_->CheckAlive();
    return static_cast<int32_t>(window_->doc->frames.size());
  }
  std::unique_ptr<IWindow> item(int32_t index) override {
    if (index < 0 || index >= length()) {
      throw OstrelError(err::kObjectDisconnected, "no such frame");
    }
    return std::make_unique<FakeWindow>(state_,
                                        window_->doc->frames[static_cast<size_t>(index)],
                                        OriginOf(window_->doc->url));
  }

 private:
  std::shared_ptr<BrowserState> state_;
  std::shared_ptr<Window> window_;
};

class FakeDocument : public IDocument {
 public:
  FakeDocument(std::shared_ptr<BrowserState> state, std::shared_ptr<Window> window)
      : state_(std::move(state)), window_(std::move(window)) {}

  std::string url() override { return Doc().url; }
  void setUrl(const std::string& url) override {
    state_->NavigateWindow(*window_, ResolveUrl(Doc().url, url));
  }
  std::string title() override { return Doc().page.title; }
  std::string readyState() override {
    Doc();
    return "complete";
  }
  std::unique_ptr<IElementCollection> forms() override {
    Nodes forms;
    Collect(Doc().page.root, [](const Node& n) { return Upper(n.tag) == "FORM"; }, forms);
    return std::make_unique<FakeCollection>(state_, window_, std::move(forms));
  }
  std::unique_ptr<IFramesCollection> frames() override {
    Doc();
    return std::make_unique<FakeFrames>(state_, window_);
  }
  std::unique_ptr<IWindow> parentWindow() override {
    return std::make_unique<FakeWindow>(state_, window_, OriginOf(Doc().url));
  }

 private:
  const Document& Doc() const {
    state_->CheckAlive();
    return *window_->doc;
  }

  std::shared_ptr<BrowserState> state_;
  std::shared_ptr<Window> window_;
};

std::unique_ptr<IDocument> FakeWindow::Document() {
  if (state_->crash_on_frame) state_->gone = true;
  state_->CheckAlive();
  return std::make_unique<FakeDocument>(state_, window_);
}

void FakeElement::click() {
  Read("click", "");
  const std::string tag = Upper(node_->tag);
  const std::string type = Upper(node_->Attr("type"));
  if (tag == "A" && node_->HasAttr("href")) {
    state_->NavigateWindow(*window_, ResolveUrl(window_->doc->url, node_->Attr("href")));
    return;
  }
  const bool submits = (tag == "INPUT" && (type == "SUBMIT" || type == "IMAGE")) ||
                       (tag == "BUTTON" && (type.empty() || type == "SUBMIT"));
  if (!submits) return;
  Nodes forms;
  Collect(window_->doc->page.root, [](const Node& n) { return Upper(n.tag) == "FORM"; },
          forms);
  for (const auto& form : forms) {
    if (Contains(form, node_.get())) {
      FakeElement(state_, window_, form).submit();
      return;
    }
  }
}

std::unique_ptr<IElementCollection> FakeElement::all() {
  Read("all", "");
  Nodes nodes;
  Collect(node_, [](const Node&) { return true; }, nodes);
  return std::make_unique<FakeCollection>(state_, window_, std::move(nodes));
}

std::unique_ptr<IDocument> FakeElement::document() {
  Read("document", "");
  return std::make_unique<FakeDocument>(state_, window_);
}

std::unique_ptr<IElementCollection> FakeElement::elements() {
  Read("elements", "");
  RequireForm();
  Nodes nodes;
  Collect(node_, IsListed, nodes);
  return std::make_unique<FakeCollection>(state_, window_, std::move(nodes));
}

void FakeElement::submit() {
  Read("submit", "");
  RequireForm();
  const std::string action = node_->Attr("action");
  state_->NavigateWindow(*window_, action.empty() ? window_->doc->url
                                                  : ResolveUrl(window_->doc->url, action));
}

}  // namespace

FakeBrowser::FakeBrowser(Loader loader) : state_(std::make_shared<BrowserState>()) {
  state_->loader = std::move(loader);
}

FakeBrowser::~FakeBrowser() = default;

void FakeBrowser::Navigate(const std::string& url) {
  if (!state_->top) state_->top = std::make_shared<Window>();
  state_->NavigateWindow(*state_->top, url);
}

std::unique_ptr<IDocument> FakeBrowser::Document() {
  state_->CheckAlive();
  if (!state_->top || !state_->top->doc) {
    throw OstrelError(err::kObjectRequired, "no document loaded");
  }
  return std::make_unique<FakeDocument>(state_, state_->top);
}

void FakeBrowser::SetBeforeNavigate(BeforeNavigateHandler handler) {
  state_->handler = std::move(handler);
}

int FakeBrowser::LiveElements() const { return state_->live_elements; }

void FakeBrowser::Crash() { state_->gone = true; }

void FakeBrowser::CrashOnFrameAccess() { state_->crash_on_frame = true; }

std::string OriginOf(const std::string& url) {
  const size_t scheme = url.find("://");
  if (scheme == std::string::npos) return url;
  const size_t path = url.find('/', scheme + 3);
  return path == std::string::npos ? url : url.substr(0, path);
}

std::string ResolveUrl(const std::string& base, const std::string& ref) {
  if (ref.find("://") != std::string::npos || ref.rfind("javascript:", 0) == 0 ||
      ref.rfind("about:", 0) == 0) {
    return ref;
  }
  if (ref.empty()) return "about:blank";
  if (ref[0] == '/') return OriginOf(base) + ref;
  const size_t slash = base.rfind('/');
  return (slash == std::string::npos ? base + "/" : base.substr(0, slash + 1)) + ref;
}

}  // namespace ostrel::fake
