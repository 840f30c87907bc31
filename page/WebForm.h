#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "page/WebControls.h"

namespace ostrel {

// One captured form: where it sits (its frame and its position among its
// document's forms), its name and its controls. The form keeps the live
// form element for as long as it exists, so the IBrowser it came from must
// outlive it.
class WebForm {
 public:
  // A form of the top-level document carries this FrameIndex.
  static constexpr int16_t kTopDocument = 255;
  // The tag a document's group of inputs outside any form shows, which
  // comes after its forms.
  static constexpr const char* kGroupTag = "#GROUP";

  WebForm() = default;
  WebForm(const WebForm&) = delete;
  WebForm& operator=(const WebForm&) = delete;

  const std::string& Name() const { return name_; }
  void SetName(std::string v) { name_ = std::move(v); }
  // Capture leaves the identifier empty; only a caller sets it.
  const std::string& ID() const { return id_; }
  void SetID(std::string v) { id_ = std::move(v); }
  // 0-based position among the document's forms.
  int16_t Index() const { return index_; }
  void SetIndex(int16_t v) { index_ = v; }
  // kTopDocument, or the 0-based position of the frame in the top-level
  // document's frames.
  int16_t FrameIndex() const { return frame_index_; }
  void SetFrameIndex(int16_t v) { frame_index_ = v; }
  // The frame document's address; empty for the top-level document.
  const std::string& FrameURL() const { return frame_url_; }
  void SetFrameURL(std::string v) { frame_url_ = std::move(v); }

  // Captures frm: keeps it, reads its name, then adds every element of its
  // elements collection, in order, to Controls(). Index, FrameIndex,
  // FrameURL and ID are left alone. A refused read throws; the form is then
  // unusable. A null frm fails with err::kObjectRequired.
  void SetHTMLElement(std::unique_ptr<IElement> frm);

  // The document's inputs outside any form, not a form: it has no name.
  bool IsGroup() const { return is_group_; }

  WebControls& Controls() { return controls_; }
  const WebControls& Controls() const { return controls_; }

 private:
  std::string name_;
  std::string id_;
  int16_t index_ = 0;
  int16_t frame_index_ = 0;
  std::string frame_url_;
  bool is_group_ = false;
  WebControls controls_;
  std::unique_ptr<IElement> element_;
};

}  // namespace ostrel
