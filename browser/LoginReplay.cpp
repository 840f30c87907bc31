#include "browser/LoginReplay.h"

#include <exception>

#include "support/TextCase.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

namespace {

std::unique_ptr<IElement> Required(std::unique_ptr<IElement> element,
                                   const std::string& what) {
  if (!element) throw OstrelError(err::kObjectRequired, what + " is not on the page");
  return element;
}

}  // namespace

LoginReplay::LoginReplay(ILoginWindow& window, StoreContext& context,
                         IEventPump& pump, IClock& clock,
                         std::function<IBrowser*()> currentBrowser)
    : window_(window),
      context_(context),
      pump_(pump),
      clock_(clock),
      current_browser_(std::move(currentBrowser)) {}

void LoginReplay::GoToSite(int16_t n) {
  try {
    WebRecord record(context_);
    record.Retrieve(n);
    Replay(record);
  } catch (const OstrelError& e) {
    window_.ReportError(e);
  } catch (const std::exception& e) {
    window_.ReportError(OstrelError(err::kBrowserProtocol, e.what()));
  }
}

void LoginReplay::Replay(const WebRecord& record) {
  const FormInfo& info = record.Form();
  Browser().Navigate(record.URL());
  WaitUntil([this] { return Browser().ReadyState() == 4; });

  std::unique_ptr<IDocument> top = Browser().Document();
  if (!top) throw OstrelError(err::kObjectRequired, "the page has no document");
  pump_.ProcessPending();

  std::unique_ptr<IDocument> doc = FormDocument(*top, info);
  std::unique_ptr<IElement> form = FindForm(doc ? *doc : *top, info);
  Fill(*form, record);
  Submit(*form, info);
}

IBrowser& LoginReplay::Browser() {
  IBrowser* browser = current_browser_ ? current_browser_() : nullptr;
  if (!browser) throw OstrelError(err::kObjectRequired, "no browser is bound");
  return *browser;
}

void LoginReplay::WaitUntil(const std::function<bool()>& ready) {
  const int64_t start = clock_.Now();
  for (;;) {
    pump_.ProcessPending();
    if (clock_.Now() - start > kTimeoutSeconds) throw OstrelError(err::kWebsiteProblem);
    if (ready()) return;
  }
}

// nullptr: the form is in the top-level document.
std::unique_ptr<IDocument> LoginReplay::FormDocument(IDocument& top,
                                                     const FormInfo& form) {
  if (form.FrameIndex == FormInfo::kTopLevelFrame) return nullptr;
  std::unique_ptr<IFramesCollection> frames = top.frames();
  if (!frames) throw OstrelError(err::kObjectRequired, "the page has no frames");
  std::unique_ptr<IWindow> frame = frames->item(form.FrameIndex);
  if (!frame) throw OstrelError(err::kObjectDisconnected, "the frame is not on the page");
  std::unique_ptr<IDocument> doc = frame->Document();
  if (!doc) throw OstrelError(err::kObjectRequired, "the frame has no document");
  if (doc->url() != form.FrameURL) {
    doc->setUrl(form.FrameURL);
    IDocument& frame_doc = *doc;
    WaitUntil([&frame_doc] { return frame_doc.readyState() == "complete"; });
  }
  return doc;
}

// Asks the document's forms afresh on each pass, so a form that a script
// adds late is still found; bounded like the other waits.
std::unique_ptr<IElement> LoginReplay::FindForm(IDocument& doc, const FormInfo& info) {
  const int64_t start = clock_.Now();
  for (;;) {
    std::unique_ptr<IElementCollection> forms = doc.forms();
    std::unique_ptr<IElement> form;
    if (forms) form = info.Name.empty() ? forms->item(int32_t{info.Index}) : forms->item(info.Name);
    if (form) return form;
    pump_.ProcessPending();
    if (clock_.Now() - start > kTimeoutSeconds) throw OstrelError(err::kWebsiteProblem);
  }
}

void LoginReplay::Fill(IElement& form, const WebRecord& record) {
  std::unique_ptr<IElementCollection> elements = form.elements();
  if (!elements) throw OstrelError(err::kObjectRequired, "the form has no elements");
  for (int16_t i = 1; i <= record.ControlsCount(); ++i) {
    const ControlInfo& control = record.Control(i);
    std::unique_ptr<IElement> input =
        control.Name.empty() ? ControlAt(*elements, control.Index)
                             : elements->item(control.Name);
    input = Required(std::move(input), "recorded input " + std::to_string(i));
    if (UpperAscii(input->tagName()) != "INPUT") {
      throw OstrelError(err::kObjectRequired,
                        "recorded input " + std::to_string(i) + " is not an input");
    }
    input->setValue(control.Value);
  }
}

void LoginReplay::Submit(IElement& form, const FormInfo& info) {
  if (!info.Javascript.empty()) {
    std::unique_ptr<IDocument> doc = form.document();
    if (!doc) throw OstrelError(err::kObjectRequired, "the form has no document");
    std::unique_ptr<IWindow> window = doc->parentWindow();
    if (!window) throw OstrelError(err::kObjectRequired, "the form has no window");
    window->execScript(info.Javascript);
    return;
  }
  std::unique_ptr<IElement> button = FindSubmitButton(form);
  if (!button) button = FindImageButton(form);
  if (button) {
    button->click();
  } else {
    form.submit();
  }
}

std::unique_ptr<IElement> LoginReplay::FindSubmitButton(IElement& form) {
  std::unique_ptr<IElementCollection> elements = form.elements();
  if (!elements) return nullptr;
  const int32_t n = elements->length();
  for (int32_t k = 0; k < n; ++k) {
    std::unique_ptr<IElement> element = elements->item(k);
    if (element && UpperAscii(element->tagName()) == "INPUT" &&
        UpperAscii(element->type()) == "SUBMIT") {
      return element;
    }
  }
  return nullptr;
}

std::unique_ptr<IElement> LoginReplay::FindImageButton(IElement& form) {
  std::unique_ptr<IElementCollection> all = form.all();
  if (!all) return nullptr;
  const int32_t n = all->length();
  for (int32_t k = 0; k < n; ++k) {
    std::unique_ptr<IElement> element = all->item(k);
    if (element && UpperAscii(element->tagName()) == "INPUT" &&
        UpperAscii(element->type()) == "IMAGE") {
      return element;
    }
  }
  return nullptr;
}

std::unique_ptr<IElement> LoginReplay::ControlAt(IElementCollection& elements,
                                                 int32_t index) {
  if (index < 0) return nullptr;
  const int32_t n = elements.length();
  int32_t position = 0;
  for (int32_t k = 0; k < n; ++k) {
    std::unique_ptr<IElement> element = elements.item(k);
    if (!element) return nullptr;
    // The same test as capture: the tag exactly "FIELDSET".
    if (element->tagName() == "FIELDSET") continue;
    if (position == index) return element;
    ++position;
  }
  return nullptr;
}

}  // namespace ostrel
