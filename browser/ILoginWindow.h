#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "support/OstrelError.h"

namespace ostrel {

// What recording and replay need of the main window (frmMain). The window
// layer implements it over its panels and controls; tests use a fake.
class ILoginWindow {
 public:
  // Panel numbers of ShowPanel used here.
  static constexpr int32_t kSiteList = 0;
  static constexpr int32_t kRecordReady = 1;
  static constexpr int32_t kRecording = 2;
  static constexpr int32_t kNameSite = 3;

  virtual ~ILoginWindow() = default;
  virtual void ShowPanel(int32_t n) = 0;
  virtual int32_t CurrentPanel() const = 0;
  // txtSiteName's text, as typed.
  virtual std::string SiteNameText() = 0;
  // Puts text into txtSiteName, gives it the focus and selects all of it.
  virtual void ProposeSiteName(const std::string& text) = 0;
  // The text of lstSites' selected entry; empty when none is selected.
  virtual std::string SelectedSiteName() = 0;
  // mSiteIndex: the slot of the site being worked on, -1 for a new one.
  virtual int16_t SiteIndex() = 0;
  virtual void SetSiteIndex(int16_t index) = 0;
  // Users.GetUserID(SelectedUserIndex): the logged-in user's id. Throws
  // OstrelError when no user is selected or the table cannot be read.
  virtual int16_t CurrentUserID() = 0;
  virtual void RefreshSiteList() = 0;
  // Shows a caught error (its number's text and its explanation) in one
  // modal message box; returns when it is closed.
  virtual void ReportError(const OstrelError& error) = 0;
  // Shows text in one modal message box; returns when it is closed.
  virtual void ShowMessage(const std::string& text) = 0;
  // Runs action once the event being handled now is done (for what must
  // not hold the page, such as a message shown from the before-navigate
  // notification); dropped if the window goes first.
  virtual void Defer(std::function<void()> action) = 0;
  // While busy (Go To waiting for a page) the window shows a busy cursor.
  virtual void SetBusy(bool busy) = 0;
};

}  // namespace ostrel
