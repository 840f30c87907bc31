#include <QDialog>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <functional>

#include "tests/window/WindowTest.h"

namespace ostrel::test {
namespace {

// The window goes while one of its handlers waits in a loop of its own: a
// real message box, the About box, a real file dialog, or a Go To's wait.
// Nothing may be used after it is gone: the dialog is let go as if
// cancelled, the handler returns into a window that still exists, at most
// the one message shows, and the window is deleted only then.
class LifetimeTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Seed({{"ann", "pw"}}, {{1, "alpha"}});
  }

  // A window with the real message boxes and file dialogs, logged in.
  frmMain* OpenReal() {
    WindowServices services;
    services.settings = &settings_;
    services.tools = &tools_;
    services.idleTimer = &idle_;
    const std::string folder = Folder();
    services.documentsFolder = [folder] { return folder; };
    auto* window = new frmMain(services);
    window->SetRecordingHooks([this](frmMain&, StoreContext&) {
      auto hooks = std::make_unique<FakeHooks>();
      hooks->onGoTo = [] {
        QEventLoop wait;  // as a replay waits for its page
        QTimer::singleShot(400, &wait, &QEventLoop::quit);
        wait.exec();
      };
      return hooks;
    });
    window->Load();
    window->show();
    QComboBox* list = window->Panels().cmbUserNames;
    list->setCurrentIndex(list->findData(1));
    window->Panels().txtPassword->setText("pw");
    window->Panels().cmdOK[frmMain::kLogin]->click();
    return window;
  }
};

struct Waiting {
  const char* what;
  std::function<void(frmMain&)> press;  // returns once its loop has ended
};

const std::vector<Waiting> kWaits = {
    {"a message box", [](frmMain& w) {
       w.Panels().cmdLogOff->click();
       w.Panels().cmbUserNames->setCurrentIndex(-1);
       w.Panels().cmdOK[frmMain::kLogin]->click();  // "Select a user from the list..."
     }},
    {"the About box", [](frmMain& w) {
       w.Panels().cmdLogOff->click();
       w.Panels().cmdAbout->click();
     }},
    {"a file dialog", [](frmMain& w) {
       w.Panels().cmdLogOff->click();
       w.Panels().cmdOptions->click();
       w.Panels().cmdChangeFile->click();
     }},
    {"a Go To's wait", [](frmMain& w) {
       w.Panels().lstSites->setCurrentRow(0);
       w.Panels().cmdGoto->click();
     }},
};

TEST_F(LifetimeTest, TheBrowserWindowClosingUnderAWaitingHandlerEndsIt) {
  for (const Waiting& waiting : kWaits) {
    SCOPED_TRACE(waiting.what);
    QPointer<frmMain> window = OpenReal();
    ASSERT_TRUE(window->IsLoaded());
    bool disposed = false;
    QTimer::singleShot(150, [&] {
      window->Dispose();
      disposed = true;
    });
    waiting.press(*window);
    EXPECT_TRUE(disposed);
    ASSERT_FALSE(window.isNull());  // still there for the handler that returned into it
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->IsLoaded());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
  }
}

TEST_F(LifetimeTest, ClosingTheWindowDuringAGoToUnloadsItOnceTheWaitEnds) {
  QPointer<frmMain> window = OpenReal();
  QTimer::singleShot(150, [&] { window->close(); });
  window->Panels().lstSites->setCurrentRow(0);
  window->Panels().cmdGoto->click();
  ASSERT_FALSE(window.isNull());
  EXPECT_FALSE(window->IsLoaded());
  window->Load();  // the next button press loads it afresh
  EXPECT_TRUE(window->IsLoaded());
  EXPECT_EQ(window->CurrentPanel(), frmMain::kLogin);
  delete window.data();
}

}  // namespace
}  // namespace ostrel::test
