#pragma once

#include "platform/browser/Browser.h"
#include "platform/devtools/DomContext.h"

namespace ostrel {

// A document, held through the window that shows it: each call reads that
// window's document afresh, so after setUrl() (or any navigation of that
// window) the same object answers for the page the window shows next. The
// top-level document of a tab holds no handle at all and always answers
// for the tab's current page.
//
// readyState() reads "loading" from the moment setUrl() is called until the
// window shows the new document, then that document's own state.
class DevToolsDocument : public IDocument {
 public:
  DevToolsDocument(DomContextPtr context, RemoteRef window) : context_(std::move(context)), window_(std::move(window)) {}

  std::string url() override;
  void setUrl(const std::string& url) override;
  std::string title() override;
  std::string readyState() override;
  std::unique_ptr<IElementCollection> forms() override;
  std::unique_ptr<IFramesCollection> frames() override;
  std::unique_ptr<IWindow> parentWindow() override;
  // One evaluation in Ostrel's world of the window's document.
  std::optional<FillOutcome> FillForm(const FormFill& fill) override;
  // Marks every input autocomplete="off" (the browser then keeps neither
  // its value in the form history nor its state in the session), and keeps
  // doing so for inputs added later, until the document goes.
  void KeepNothingTyped() override;

 private:
  std::string Text(const std::string& function);

  DomContextPtr context_;
  RemoteRef window_;
};

// A window: the tab's top-level window or a frame's.
class DevToolsWindow : public IWindow {
 public:
  DevToolsWindow(DomContextPtr context, RemoteRef window) : context_(std::move(context)), window_(std::move(window)) {}

  // Checks that the document can be reached (err::kAccessDenied for another
  // site's frame) and returns it.
  std::unique_ptr<IDocument> Document() override;
  // Runs text in the page's own world of the window's document.
  void execScript(const std::string& text, const OriginRule& rule) override;

 private:
  DomContextPtr context_;
  RemoteRef window_;
};

// The frames of a window (window.length, window[i]), read afresh each call.
class DevToolsFrames : public IFramesCollection {
 public:
  DevToolsFrames(DomContextPtr context, RemoteRef window) : context_(std::move(context)), window_(std::move(window)) {}

  int32_t length() override;
  std::unique_ptr<IWindow> item(int32_t index) override;

 private:
  DomContextPtr context_;
  RemoteRef window_;
};

}  // namespace ostrel
