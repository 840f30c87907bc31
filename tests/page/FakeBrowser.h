#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/browser/Browser.h"

// An in-memory browser for the page tests: loads pages (a small subset of
// HTML, see FakeHtml.h) from a loader, builds their frames one level below
// another, and answers the browser interface from that tree. Another
// origin's frame refuses its document (err::kAccessDenied), as a real
// browser does. Clicking a submit control or a link, submitting a form or
// setting a document's url navigates: the before-navigate handler runs
// first, then the new page loads (a "javascript:" address loads nothing;
// the fake runs no script).
namespace ostrel::fake {

// Returns the text of the page at url, or nothing when there is none (the
// window then shows an empty page).
using Loader = std::function<std::optional<std::string>(const std::string& url)>;

struct BrowserState;

class FakeBrowser : public IBrowser {
 public:
  explicit FakeBrowser(Loader loader);
  ~FakeBrowser() override;

  void Navigate(const std::string& url) override;
  int32_t ReadyState() override { return 4; }
  // err::kObjectRequired before the first navigation.
  std::unique_ptr<IDocument> Document() override;
  void SetBeforeNavigate(BeforeNavigateHandler handler) override;

  // How many element objects handed out are alive now.
  int LiveElements() const;
  // From now on every call fails with err::kBrowserGone.
  void Crash();
  // The browser goes away when a frame's document is next asked for.
  void CrashOnFrameAccess();

 private:
  std::shared_ptr<BrowserState> state_;
};

// The address ref names, seen from a document at base.
std::string ResolveUrl(const std::string& base, const std::string& ref);
// scheme://host[:port] of an address.
std::string OriginOf(const std::string& url);

}  // namespace ostrel::fake
