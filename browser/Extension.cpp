#include "browser/Extension.h"

#include <exception>

namespace ostrel {

Extension::Extension(MainWindowFactory makeMainWindow, IMessageBox& box)
    : mMakeMainWindow(std::move(makeMainWindow)), mBox(box) {}

Extension::~Extension() { SetSite(nullptr); }

void Extension::SetSite(IBrowserWindowSite* pSite) {
  mSite = pSite;
  if (!pSite) {
    if (mMain) mMain->SetIE(nullptr);
    mMain.reset();
    mBrowser = nullptr;
    return;
  }
  if (pSite->TabCount() == 0) mBox.Show("You need to start Internet Explorer!");
  mMain = mMakeMainWindow();
}

void Extension::BrowserGone(IBrowser* browser) {
  if (!browser || browser != mBrowser) return;
  if (mMain) mMain->SetIE(nullptr);
  mBrowser = nullptr;
}

// The browser is the tab in which the button was pressed. (Matching the
// window's handle alone cannot tell the tabs of one window apart.)
void Extension::Exec(const std::string& tabId) {
  try {
    if (!mSite || !mMain) return;
    IBrowser* browser = mSite->BrowserOfTab(tabId);
    if (!browser) return;
    mBrowser = browser;
    mMain->SetIE(mBrowser);
    mMain->Load();
    mMain->SetIE(mBrowser);
    mMain->ShowOver(*mSite);
  } catch (const std::exception&) {
    // The press ends silently; the browser is told it succeeded.
  }
}

}  // namespace ostrel
