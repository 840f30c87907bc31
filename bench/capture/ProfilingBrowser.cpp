#include "bench/capture/ProfilingBrowser.h"

namespace ostrel::bench {

namespace {

struct Meter {
  std::function<uint64_t()> round_trips;
  CallCosts& costs;

  // Runs call and books its cost under name.
  template <typename Call>
  auto operator()(const char* name, Call&& call) -> decltype(call()) {
    const uint64_t trips = round_trips();
    const auto start = std::chrono::steady_clock::now();
    struct Book {
      Meter& meter;
      const char* name;
      uint64_t trips;
      std::chrono::steady_clock::time_point start;
      ~Book() {
        CallCost& cost = meter.costs[name];
        ++cost.calls;
        cost.round_trips += meter.round_trips() - trips;
        cost.time += std::chrono::steady_clock::now() - start;
      }
    } book{*this, name, trips, start};
    return call();
  }
};

using MeterRef = std::shared_ptr<Meter>;

std::unique_ptr<IElement> Wrap(MeterRef m, std::unique_ptr<IElement> inner);
std::unique_ptr<IDocument> Wrap(MeterRef m, std::unique_ptr<IDocument> inner);

class Collection : public IElementCollection {
 public:
  Collection(MeterRef m, std::unique_ptr<IElementCollection> inner)
      : m_(std::move(m)), inner_(std::move(inner)) {}
  int32_t length() override {
    return (*m_)("IElementCollection::length", [&] { return inner_->length(); });
  }
  std::unique_ptr<IElement> item(int32_t index) override {
    return Wrap(m_, (*m_)("IElementCollection::item", [&] { return inner_->item(index); }));
  }
  std::unique_ptr<IElement> item(const std::string& name) override {
    return Wrap(m_, (*m_)("IElementCollection::item(name)", [&] { return inner_->item(name); }));
  }

 private:
  MeterRef m_;
  std::unique_ptr<IElementCollection> inner_;
};

std::unique_ptr<IElementCollection> Wrap(MeterRef m, std::unique_ptr<IElementCollection> inner) {
  if (!inner) return nullptr;
  return std::make_unique<Collection>(std::move(m), std::move(inner));
}

class Element : public IElement {
 public:
  Element(MeterRef m, std::unique_ptr<IElement> inner) : m_(std::move(m)), inner_(std::move(inner)) {}
  std::string tagName() override { return (*m_)("IElement::tagName", [&] { return inner_->tagName(); }); }
  std::string id() override { return (*m_)("IElement::id", [&] { return inner_->id(); }); }
  void click() override { (*m_)("IElement::click", [&] { inner_->click(); }); }
  std::unique_ptr<IElementCollection> all() override {
    return Wrap(m_, (*m_)("IElement::all", [&] { return inner_->all(); }));
  }
  std::unique_ptr<IDocument> document() override {
    return Wrap(m_, (*m_)("IElement::document", [&] { return inner_->document(); }));
  }
  std::string type() override { return (*m_)("IElement::type", [&] { return inner_->type(); }); }
  std::string name() override { return (*m_)("IElement::name", [&] { return inner_->name(); }); }
  std::string value() override { return (*m_)("IElement::value", [&] { return inner_->value(); }); }
  void setValue(const std::string& v) override {
    (*m_)("IElement::setValue", [&] { inner_->setValue(v); });
  }
  std::unique_ptr<IElementCollection> elements() override {
    return Wrap(m_, (*m_)("IElement::elements", [&] { return inner_->elements(); }));
  }
  void submit() override { (*m_)("IElement::submit", [&] { inner_->submit(); }); }

 private:
  MeterRef m_;
  std::unique_ptr<IElement> inner_;
};

std::unique_ptr<IElement> Wrap(MeterRef m, std::unique_ptr<IElement> inner) {
  if (!inner) return nullptr;
  return std::make_unique<Element>(std::move(m), std::move(inner));
}

class Window : public IWindow {
 public:
  Window(MeterRef m, std::unique_ptr<IWindow> inner) : m_(std::move(m)), inner_(std::move(inner)) {}
  std::unique_ptr<IDocument> Document() override {
    return Wrap(m_, (*m_)("IWindow::Document", [&] { return inner_->Document(); }));
  }
  void execScript(const std::string& text, const OriginRule& rule) override {
    (*m_)("IWindow::execScript", [&] { inner_->execScript(text, rule); });
  }

 private:
  MeterRef m_;
  std::unique_ptr<IWindow> inner_;
};

class Frames : public IFramesCollection {
 public:
  Frames(MeterRef m, std::unique_ptr<IFramesCollection> inner)
      : m_(std::move(m)), inner_(std::move(inner)) {}
  int32_t length() override {
    return (*m_)("IFramesCollection::length", [&] { return inner_->length(); });
  }
  std::unique_ptr<IWindow> item(int32_t index) override {
    auto window = (*m_)("IFramesCollection::item", [&] { return inner_->item(index); });
    if (!window) return nullptr;
    return std::make_unique<Window>(m_, std::move(window));
  }

 private:
  MeterRef m_;
  std::unique_ptr<IFramesCollection> inner_;
};

class Document : public IDocument {
 public:
  Document(MeterRef m, std::unique_ptr<IDocument> inner) : m_(std::move(m)), inner_(std::move(inner)) {}
  std::string url() override { return (*m_)("IDocument::url", [&] { return inner_->url(); }); }
  void setUrl(const std::string& url) override {
    (*m_)("IDocument::setUrl", [&] { inner_->setUrl(url); });
  }
  std::string title() override { return (*m_)("IDocument::title", [&] { return inner_->title(); }); }
  std::string readyState() override {
    return (*m_)("IDocument::readyState", [&] { return inner_->readyState(); });
  }
  std::unique_ptr<IElementCollection> forms() override {
    return Wrap(m_, (*m_)("IDocument::forms", [&] { return inner_->forms(); }));
  }
  std::unique_ptr<IFramesCollection> frames() override {
    auto frames = (*m_)("IDocument::frames", [&] { return inner_->frames(); });
    if (!frames) return nullptr;
    return std::make_unique<Frames>(m_, std::move(frames));
  }
  std::unique_ptr<IWindow> parentWindow() override {
    auto window = (*m_)("IDocument::parentWindow", [&] { return inner_->parentWindow(); });
    if (!window) return nullptr;
    return std::make_unique<Window>(m_, std::move(window));
  }
  void FindClosedRoots() override {
    (*m_)("IDocument::FindClosedRoots", [&] { inner_->FindClosedRoots(); });
  }

 private:
  MeterRef m_;
  std::unique_ptr<IDocument> inner_;
};

std::unique_ptr<IDocument> Wrap(MeterRef m, std::unique_ptr<IDocument> inner) {
  if (!inner) return nullptr;
  return std::make_unique<Document>(std::move(m), std::move(inner));
}

class Browser : public IBrowser {
 public:
  Browser(MeterRef m, IBrowser& inner) : m_(std::move(m)), inner_(inner) {}
  void Navigate(const std::string& url) override { inner_.Navigate(url); }
  int32_t ReadyState() override { return inner_.ReadyState(); }
  std::unique_ptr<IDocument> Document() override {
    return Wrap(m_, (*m_)("IBrowser::Document", [&] { return inner_.Document(); }));
  }
  void SetBeforeNavigate(BeforeNavigateHandler handler) override {
    inner_.SetBeforeNavigate(std::move(handler));
  }

 private:
  MeterRef m_;
  IBrowser& inner_;
};

}  // namespace

std::unique_ptr<IBrowser> Profile(IBrowser& inner, std::function<uint64_t()> round_trips,
                                  CallCosts& costs) {
  auto meter = std::make_shared<Meter>(Meter{std::move(round_trips), costs});
  return std::make_unique<Browser>(std::move(meter), inner);
}

}  // namespace ostrel::bench
