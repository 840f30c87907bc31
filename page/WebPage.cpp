#include "page/WebPage.h"

#include "page/FramePath.h"
#include "page/Positions.h"

#include <new>
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

namespace {

// Runs one step of the frame walk. Any failure ends the step quietly (a
// refused read, a frame that went away, a page that answered nonsense); only
// a browser that has gone away ends the whole capture. Returns whether the
// step ran to its end.
template <typename Step>
bool Absorbing(Step&& step) {
  try {
    step();
    return true;
  } catch (const OstrelError& error) {
    if (error.Number() == err::kBrowserGone) throw;
    return false;
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

void WebPage::Record() {
  if (ie_ == nullptr) {
    throw OstrelError(err::kObjectRequired, "no browser to capture from");
  }
  document_ = ie_->Document();
  if (!document_) {
    throw OstrelError(err::kObjectRequired, "the browser shows no document");
  }
  url_ = document_->url();
  title_ = document_->title();
  document_->FindClosedRoots();

  const std::unique_ptr<IElementCollection> forms = document_->forms();
  const int32_t n = forms->length();
  for (int32_t i = 0; i < n; ++i) {
    forms_.Add(positions::Require(forms->item(i), "form", i),
               positions::ToIndex(i), WebForm::kTopDocument, "");
  }

  const std::unique_ptr<IFramesCollection> frames = document_->frames();
  const int32_t m = frames->length();
  for (int32_t j = 0; j < m; ++j) RecordFrame(*frames, j, {});
}

void WebPage::RecordFrame(IFramesCollection& frames, int32_t j, const std::vector<int16_t>& parent) {
  std::unique_ptr<IDocument> frame_document;
  std::unique_ptr<IElementCollection> forms;
  int32_t p = 0;
  FramePath path;
  const bool reached = Absorbing([&] {
    path.positions = parent;
    path.positions.push_back(positions::ToIndex(j));
    const std::unique_ptr<IWindow> window = frames.item(j);
    if (window) frame_document = window->Document();
    if (!frame_document) {
      throw OstrelError(err::kObjectDisconnected, "frame has no document");
    }
    frame_document->FindClosedRoots();
    forms = frame_document->forms();
    p = forms->length();
  });
  if (!reached) return;
  for (int32_t k = 0; k < p; ++k) {
    Absorbing([&] {
      std::unique_ptr<IElement> form =
          positions::Require(forms->item(k), "frame form", k);
      path.url = frame_document->url();
      forms_.Add(std::move(form), positions::ToIndex(k), path.FrameIndex(), path.FrameURL());
    });
  }
  // The frames of this frame, depth first, as deep as a record can say.
  if (path.positions.size() >= FramePath::kMaxDepth) return;
  std::unique_ptr<IFramesCollection> inner;
  int32_t n = 0;
  if (!Absorbing([&] {
        inner = frame_document->frames();
        n = inner->length();
      })) {
    return;
  }
  for (int32_t i = 0; i < n; ++i) RecordFrame(*inner, i, path.positions);
}

}  // namespace ostrel
