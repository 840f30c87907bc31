#include <fstream>
#include <sstream>

#include "tests/page/CaptureEnv.h"
#include "tests/page/FakeBrowser.h"

namespace ostrel::testing {

namespace {

constexpr char kSite[] = "http://site.test";
constexpr char kOther[] = "http://other.test";
constexpr char kOtherSite[] = "http://another-site.test";

class FakeCaptureEnv : public CaptureEnv {
 public:
  FakeCaptureEnv() : browser_(LoadFixturePage) {}

  IBrowser& Browser() override { return browser_; }
  void Open(const std::string& path) override { browser_.Navigate(SiteUrl(path)); }
  std::string SiteUrl(const std::string& path) const override {
    return std::string(kSite) + "/" + path;
  }
  bool PumpUntil(const std::function<bool()>& done, int) override { return done(); }
  bool RunsScripts() const override { return false; }
  void TypeKeys(IElement& field, const std::string& text) override {
    field.setValue(text);
  }
  void PressEnter() override {}
  void ClickAsPerson(IElement& element) override { element.click(); }

 private:
  fake::FakeBrowser browser_;
};

}  // namespace

std::unique_ptr<CaptureEnv> MakeFakeCaptureEnv() {
  return std::make_unique<FakeCaptureEnv>();
}

std::optional<std::string> LoadFixturePage(const std::string& url) {
  for (const auto& [origin, folder] : {std::pair{kSite, "site"}, {kOther, "other"}, {kOtherSite, "other"}}) {
    const std::string prefix = std::string(origin) + "/";
    if (url.rfind(prefix, 0) != 0) continue;
    std::string path = url.substr(prefix.size());
    path = path.substr(0, path.find('?'));
    std::string text = ReadFixture(folder, path, kOther, kOtherSite);
    if (!text.empty()) return text;
  }
  return std::nullopt;
}

std::string ReadFixture(const std::string& folder, const std::string& path,
                        const std::string& other_origin, const std::string& other_site) {
  std::ifstream in(std::string(OSTREL_PAGE_FIXTURES) + "/" + folder + "/" + path,
                   std::ios::binary);
  if (!in) return {};
  std::stringstream buffer;
  buffer << in.rdbuf();
  std::string text = buffer.str();
  for (const auto& [mark, origin] :
       {std::pair<std::string, std::string>{"{{OTHERSITE}}", other_site},
        {"{{OTHER}}", other_origin}}) {
    for (size_t at; (at = text.find(mark)) != std::string::npos;) {
      text.replace(at, mark.size(), origin);
    }
  }
  return text;
}

}  // namespace ostrel::testing
