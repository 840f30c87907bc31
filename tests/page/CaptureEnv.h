#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/browser/Browser.h"

// A browser showing the page-test fixtures (tests/page/fixtures): "site"
// pages on one origin, "other" pages on a second one. In the fixture files
// {{OTHER}} stands for the second origin (same host, another port) and
// {{OTHERSITE}} for the "other" pages on another host, another site. The same capture
// cases run against each kind of browser.
namespace ostrel::testing {

class CaptureEnv {
 public:
  virtual ~CaptureEnv() = default;
  virtual IBrowser& Browser() = 0;
  // Loads the site page at path and returns once it is complete.
  virtual void Open(const std::string& path) = 0;
  virtual std::string SiteUrl(const std::string& path) const = 0;
  // Lets the browser deliver what is pending until done() holds or
  // timeout_ms passed; returns done().
  virtual bool PumpUntil(const std::function<bool()>& done, int timeout_ms) = 0;
  // Whether this is a real browser that runs the pages' scripts and takes
  // key input.
  virtual bool RunsScripts() const = 0;
  // Gives field the focus and types text into it key by key, as a person
  // would. Only where RunsScripts().
  virtual void TypeKeys(IElement& field, const std::string& text) = 0;
  // Presses Enter in the focused field. Only where RunsScripts().
  virtual void PressEnter() = 0;
  // Clicks element as a person would (a trusted click, not one a page
  // script could make).
  virtual void ClickAsPerson(IElement& element) = 0;
};

// The kinds built into this test program: "fake" always, "chromium" when
// the real browser layer is built.
std::vector<std::string> CaptureEnvKinds();
// Those of them that run scripts and take key input.
std::vector<std::string> ScriptingCaptureEnvKinds();
std::unique_ptr<CaptureEnv> MakeCaptureEnv(const std::string& kind);

// The text of a fixture file with {{OTHER}} replaced by other_origin and
// {{OTHERSITE}} by other_site.
std::string ReadFixture(const std::string& folder, const std::string& path,
                        const std::string& other_origin, const std::string& other_site);

// The fixture page at url for the in-memory browser: "site" pages under
// http://site.test/, "other" pages under http://other.test/ and
// http://another-site.test/ (the query is ignored); nothing where there is
// no such page.
std::optional<std::string> LoadFixturePage(const std::string& url);

}  // namespace ostrel::testing
