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
  void FindClosedRoots() override;
  bool ClickDescribed(const std::string& description, const OriginRule& rule) override;

 private:
  std::string Text(const std::string& function);

  DomContextPtr context_;
  RemoteRef window_;
};

// A window: the tab's top-level window or a frame's.
class DevToolsWindow : public IWindow {
 public:
  DevToolsWindow(DomContextPtr context, RemoteRef window) : context_(std::move(context)), window_(std::move(window)) {}
  // A frame's window, reached from parent at position index of its frames.
  DevToolsWindow(DomContextPtr context, RemoteRef window, RemoteRef parent, int32_t index)
      : context_(std::move(context)), window_(std::move(window)), parent_(std::move(parent)), index_(index) {}

  // The window's document. A frame of another origin, which the parent's
  // world may not read, is reached through Ostrel's world of its own
  // document (in the frame's own target when Chromium runs it in another
  // process); the document then answers for that frame, wherever it goes.
  std::unique_ptr<IDocument> Document() override;
  // Runs text in the page's own world of the window's document.
  void execScript(const std::string& text, const OriginRule& rule) override;

 private:
  DomContextPtr context_;
  RemoteRef window_;
  RemoteRef parent_;
  int32_t index_ = -1;  // -1: not a frame reached by position
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
