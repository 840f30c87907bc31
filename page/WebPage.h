#pragma once

#include <memory>
#include <string>
#include <vector>

#include "page/WebForms.h"

namespace ostrel {

// One capture of the page a browser tab shows: its address, its title and
// every form of the top-level document and of its frames, and of their
// frames in turn (as deep as FramePath allows), each with all its controls. Javascript is the text of the
// script that submitted a login, set by the recorder; capture leaves it
// alone.
//
// The capture holds the top-level document and every captured form and
// element for as long as it lives; the IBrowser given to SetIE must outlive
// it. A WebPage is captured once.
class WebPage {
 public:
  WebPage() = default;
  WebPage(const WebPage&) = delete;
  WebPage& operator=(const WebPage&) = delete;

  // Captures the page obj shows now. Reads only, never waits for the
  // browser, so it may run inside the before-navigate handler.
  //
  // Forms, in order: the top-level document's forms (FrameIndex 255, empty
  // FrameURL, Index = position among the document's forms), then frame by
  // frame the forms of each frame's document (FrameIndex = the frame's
  // position, FrameURL = the frame document's address), each frame followed
  // by the forms of its own frames (FrameIndex and FrameURL as FramePath
  // writes a nested frame).
  //
  // Fails when there is no browser, when the browser shows no document, or
  // when a form of the top-level document cannot be captured; the capture
  // is then unusable. Within the frames, failures are absorbed: a frame
  // whose document is refused (another site's) is skipped, a form that
  // cannot be captured is left out and the next one taken. A browser that
  // goes away (err::kBrowserGone) fails the capture wherever it happens.
  void Record();

  // The browser to capture from; must be set before Record.
  void SetIE(IBrowser& obj) { ie_ = &obj; }

  const std::string& URL() const { return url_; }
  const std::string& Title() const { return title_; }
  WebForms& Forms() { return forms_; }
  const WebForms& Forms() const { return forms_; }

  const std::string& Javascript() const { return javascript_; }
  void SetJavascript(std::string Value) { javascript_ = std::move(Value); }

 private:
  // Captures the forms of frame j of frames (whose document sits at the
  // frame positions parent), then those of its own frames.
  void RecordFrame(IFramesCollection& frames, int32_t j, const std::vector<int16_t>& parent);

  IBrowser* ie_ = nullptr;
  std::unique_ptr<IDocument> document_;
  std::string url_;
  std::string title_;
  WebForms forms_;
  std::string javascript_;
};

}  // namespace ostrel
