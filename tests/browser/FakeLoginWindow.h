#pragma once

#include <string>
#include <vector>

#include "browser/ILoginWindow.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel::fake {

// The main window as recording and replay see it; remembers what they did.
class LoginWindow : public ILoginWindow {
 public:
  std::vector<int32_t> panels;
  std::vector<int32_t> errors;
  std::string siteName;     // txtSiteName
  std::string proposed;     // last ProposeSiteName text
  std::string selectedSite;
  int16_t siteIndex = -1;
  int16_t userId = 1;
  bool noUser = false;
  int refreshes = 0;
  std::vector<std::string> messages;
  std::vector<bool> busy;  // each SetBusy, in order

  void ShowPanel(int32_t n) override { panels.push_back(n); }
  int32_t CurrentPanel() const override { return Panel(); }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void Defer(std::function<void()> action) override { action(); }
  void SetBusy(bool on) override { busy.push_back(on); }
  std::string SiteNameText() override { return siteName; }
  void ProposeSiteName(const std::string& text) override { siteName = proposed = text; }
  std::string SelectedSiteName() override { return selectedSite; }
  int16_t SiteIndex() override { return siteIndex; }
  void SetSiteIndex(int16_t index) override { siteIndex = index; }
  int16_t CurrentUserID() override {
    if (noUser) throw OstrelError(err::kSubscript);
    return userId;
  }
  void RefreshSiteList() override { ++refreshes; }
  void ReportError(const OstrelError& error) override { errors.push_back(error.Number()); }

  int32_t Panel() const { return panels.empty() ? -1 : panels.back(); }
};

}  // namespace ostrel::fake
