#include "FakeDom.h"

#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel::fake {

namespace {

std::string Upper(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

void Descendants(const NodePtr& node, std::vector<NodePtr>& out, bool listedOnly) {
  for (const NodePtr& child : node->children) {
    if (!listedOnly || IsListed(child->tag)) out.push_back(child);
    Descendants(child, out, listedOnly);
  }
}

class Collection : public IElementCollection {
 public:
  explicit Collection(std::vector<NodePtr> items) : items_(std::move(items)) {}
  int32_t length() override { return static_cast<int32_t>(items_.size()); }
  std::unique_ptr<IElement> item(int32_t index) override;
  std::unique_ptr<IElement> item(const std::string& name) override;

 private:
  std::vector<NodePtr> items_;
};

class Element : public IElement {
 public:
  explicit Element(NodePtr node) : node_(std::move(node)) {}
  std::string tagName() override { return node_->tag; }
  std::string id() override { return node_->id; }
  void click() override { ++node_->clicks; }
  std::unique_ptr<IElementCollection> all() override {
    std::vector<NodePtr> out;
    Descendants(node_, out, false);
    return std::make_unique<Collection>(std::move(out));
  }
  std::unique_ptr<IDocument> document() override;
  std::string type() override { return node_->type; }
  std::string name() override { return node_->name; }
  std::string value() override { return node_->value; }
  void setValue(const std::string& value) override {
    node_->value = value;
    ++node_->writes;
  }
  std::unique_ptr<IElementCollection> elements() override {
    if (Upper(node_->tag) != "FORM") throw OstrelError(err::kObjectRequired);
    std::vector<NodePtr> out;
    Descendants(node_, out, true);
    return std::make_unique<Collection>(std::move(out));
  }
  void submit() override {
    if (Upper(node_->tag) != "FORM") throw OstrelError(err::kObjectRequired);
    ++node_->submits;
  }

 private:
  NodePtr node_;
};

std::unique_ptr<IElement> Collection::item(int32_t index) {
  if (index < 0 || index >= length()) return nullptr;
  return std::make_unique<Element>(items_[static_cast<size_t>(index)]);
}

std::unique_ptr<IElement> Collection::item(const std::string& name) {
  for (const NodePtr& n : items_) {
    if (n->name == name) return std::make_unique<Element>(n);
  }
  for (const NodePtr& n : items_) {
    if (n->id == name) return std::make_unique<Element>(n);
  }
  return nullptr;
}

class Window : public IWindow {
 public:
  explicit Window(std::shared_ptr<Frame> frame) : frame_(std::move(frame)) {}
  explicit Window(DocPtr doc) : doc_(std::move(doc)) {}
  std::unique_ptr<IDocument> Document() override {
    if (frame_) {
      if (frame_->denied) throw OstrelError(err::kAccessDenied);
      return DocumentOf(frame_->doc);
    }
    return DocumentOf(doc_);
  }
  void execScript(const std::string& text, const OriginRule& rule) override {
    (frame_ ? frame_->doc : doc_)->scripts.push_back(text);
    (frame_ ? frame_->doc : doc_)->scriptOrigins.push_back(rule.origin);
  }

 private:
  std::shared_ptr<Frame> frame_;
  DocPtr doc_;
};

class Frames : public IFramesCollection {
 public:
  explicit Frames(DocPtr doc) : doc_(std::move(doc)) {}
  int32_t length() override { return static_cast<int32_t>(doc_->frames.size()); }
  std::unique_ptr<IWindow> item(int32_t index) override {
    if (index < 0 || index >= length()) throw OstrelError(err::kObjectDisconnected);
    return std::make_unique<Window>(doc_->frames[static_cast<size_t>(index)]);
  }

 private:
  DocPtr doc_;
};

class Document : public IDocument {
 public:
  explicit Document(DocPtr doc) : doc_(std::move(doc)) {}
  std::string url() override { return doc_->url; }
  void setUrl(const std::string& url) override { doc_->urlWrites.push_back(url); }
  std::string title() override { return doc_->title; }
  std::string readyState() override { return doc_->readyState; }
  std::unique_ptr<IElementCollection> forms() override {
    ++doc_->formsCalls;
    return std::make_unique<Collection>(doc_->forms);
  }
  std::unique_ptr<IFramesCollection> frames() override {
    ++doc_->framesCalls;
    return std::make_unique<Frames>(doc_);
  }
  std::unique_ptr<IWindow> parentWindow() override { return std::make_unique<Window>(doc_); }

 private:
  DocPtr doc_;
};

std::unique_ptr<IDocument> Element::document() {
  if (!node_->doc) return nullptr;
  // The node's document is owned by a DocPtr somewhere; find it through a
  // non-owning alias, which lives as long as the test's page.
  return DocumentOf(DocPtr(DocPtr{}, node_->doc));
}

void AdoptNode(const NodePtr& node, Doc* doc) {
  node->doc = doc;
  for (const NodePtr& child : node->children) AdoptNode(child, doc);
}

}  // namespace

bool IsListed(const std::string& tag) {
  const std::string t = Upper(tag);
  return t == "INPUT" || t == "SELECT" || t == "TEXTAREA" || t == "BUTTON" ||
         t == "FIELDSET" || t == "OUTPUT" || t == "OBJECT";
}

NodePtr El(std::string tag, std::string type, std::string name, std::string id,
           std::string value) {
  auto n = std::make_shared<Node>();
  n->tag = std::move(tag);
  n->type = std::move(type);
  n->name = std::move(name);
  n->id = std::move(id);
  n->value = std::move(value);
  return n;
}

NodePtr Wrap(std::string tag, std::vector<NodePtr> children) {
  NodePtr n = El(std::move(tag));
  n->children = std::move(children);
  return n;
}

NodePtr Form(std::string name, std::vector<NodePtr> children) {
  NodePtr n = Wrap("FORM", std::move(children));
  n->name = std::move(name);
  return n;
}

void Doc::Adopt() {
  for (const NodePtr& f : forms) AdoptNode(f, this);
}

DocPtr MakeDoc(std::string url, std::string title, std::vector<NodePtr> forms) {
  auto d = std::make_shared<Doc>();
  d->url = std::move(url);
  d->title = std::move(title);
  d->forms = std::move(forms);
  d->Adopt();
  return d;
}

std::unique_ptr<IDocument> DocumentOf(DocPtr doc) {
  if (!doc) return nullptr;
  return std::make_unique<Document>(std::move(doc));
}

void Browser::Navigate(const std::string& url) {
  navigations.push_back(url);
  if (onNavigate) onNavigate(url);
}

std::unique_ptr<IDocument> Browser::Document() {
  if (!doc) throw OstrelError(err::kObjectRequired);
  return DocumentOf(doc);
}

}  // namespace ostrel::fake
