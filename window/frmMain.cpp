#include "window/frmMain.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QDialog>
#include <QTimer>
#include <QEvent>
#include <QLineEdit>
#include <new>

#include "platform/files/PosixRecordFiles.h"
#include "platform/qt/DBusLockSignals.h"
#include "platform/qt/LinuxSystemTools.h"
#include "platform/qt/QtFileDialogs.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/qt/QtOneShotTimer.h"
#include "platform/qt/QtSettings.h"
#include "support/DocumentsFolder.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"
#include "support/ShowError.h"
#include "window/Text.h"

namespace ostrel {

namespace {

bool IsListMove(const QKeyEvent& key) {
  switch (key.key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      return true;
    default:
      return false;
  }
}

}  // namespace

frmMain::frmMain(WindowServices services, QWidget* parent)
    : QWidget(parent, Qt::Window), mServices(std::move(services)) {
  if (!mServices.messages) {
    mOwnMessages = std::make_unique<QtMessageBox>(this);
    mServices.messages = mOwnMessages.get();
  }
  if (!mServices.dialogs) {
    mOwnDialogs = std::make_unique<QtFileDialogs>(this);
    mServices.dialogs = mOwnDialogs.get();
  }
  if (!mServices.settings) {
    mOwnSettings = std::make_unique<QtSettings>();
    mServices.settings = mOwnSettings.get();
  }
  if (!mServices.tools) {
    mOwnTools = std::make_unique<LinuxSystemTools>();
    mServices.tools = mOwnTools.get();
  }
  if (!mServices.idleTimer) {
    mOwnIdleTimer = std::make_unique<QtOneShotTimer>();
    mServices.idleTimer = mOwnIdleTimer.get();
  }
  if (!mServices.clipboardTimer) {
    mOwnClipboardTimer = std::make_unique<QtOneShotTimer>();
    mServices.clipboardTimer = mOwnClipboardTimer.get();
  }
  if (!mServices.lockSignals) {
    mOwnLockSignals = std::make_unique<DBusLockSignals>();
    mServices.lockSignals = mOwnLockSignals.get();
  }
  if (!mServices.documentsFolder) mServices.documentsFolder = [] { return GetDocumentsFolder(); };
  if (!mServices.files) mServices.files = [] { return std::make_unique<PosixRecordFiles>(); };

  // A fixed size: title, minimise and close, never maximise.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(QStringLiteral("Ostrel"));
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(11);
  setFont(font);
  BuildMainPanels(this, mPanels, mControls);
  mKeys = std::make_unique<KeyDispatcher>(
      mControls, [this](const ControlEntry& button) { PressButton(button); },
      [this](const ControlEntry& button) { CancelButton(button); });
  for (const ControlEntry& entry : mControls.Entries()) entry.widget->installEventFilter(this);
  Connect();
  mClipboard = std::make_unique<SecretClipboard>(*mServices.clipboardTimer);
  mIdle = std::make_unique<IdleWatch>(
      *this, *mServices.idleTimer, [this] { return Busy(); },
      [this] { Guarded([this] { LogOffIdle(); }); });
  mServices.lockSignals->SetHandler([this] { PersonLeft(); });
}

frmMain::~frmMain() {
  mServices.lockSignals->SetHandler({});
  if (mLoaded) Form_Unload();
  mRetired.clear();
}

void frmMain::LeaveUse() {
  if (--mInUse > 0) return;
  mRetired.clear();
  if (mDisposed) {
    deleteLater();
  } else if (mLeftWhileBusy) {
    mLeftWhileBusy = false;
    Defer([this] { LogOffIdle(); });
  }
}

// The screen locked or the machine is going to sleep: the same log-off as
// after the idle period, at once, or as soon as the handler running now
// (a Go To, a question) has returned; a question open is answered No.
void frmMain::PersonLeft() {
  if (!mLoaded || mDisposed) return;
  if (mInUse == 0) {
    Guarded([this] { LogOffIdle(); });
    return;
  }
  mLeftWhileBusy = true;
  for (QDialog* dialog : findChildren<QDialog*>()) dialog->reject();
}

void frmMain::Dispose() {
  if (mDisposed) return;
  mDisposed = true;
  for (QDialog* dialog : findChildren<QDialog*>()) dialog->reject();
  if (mLoaded) Form_Unload();
  hide();
  if (mInUse == 0) delete this;  // else once the last handler has returned
}

void frmMain::Defer(std::function<void()> action) {
  QTimer::singleShot(0, this, [this, action = std::move(action)] {
    if (!mDisposed && mLoaded) Guarded(action);
  });
}

void frmMain::SetBusy(bool busy) {
  if (busy) {
    setCursor(Qt::BusyCursor);
  } else {
    unsetCursor();
  }
}

void frmMain::Guarded(const std::function<void()>& action) {
  InUse use(*this);
  try {
    action();
  } catch (const OstrelError& e) {
    ReportError(e);
  } catch (const std::bad_alloc&) {
    ostrel::ShowError(*mServices.messages, err::kOutOfMemory, "");
  } catch (const std::exception& e) {
    ostrel::ReportError(*mServices.messages, OstrelError(err::kInternalError, e.what()));
  } catch (...) {
    ostrel::ShowError(*mServices.messages, err::kInternalError, "");
  }
}

bool frmMain::Busy() const { return mInUse > 0 || (mHooks && mHooks->InProgress()); }

void frmMain::Connect() {
  const MainPanels& p = mPanels;
  auto on = [this](CommandButton* button, void (frmMain::*handler)()) {
    connect(button, &QPushButton::clicked, this, [this, handler] {
      if (mLoaded) Guarded([this, handler] { (this->*handler)(); });
    });
  };
  for (int16_t i = 0; i < MainPanels::kPanelCount; ++i) {
    if (p.cmdCancel[i]) {
      connect(p.cmdCancel[i], &QPushButton::clicked, this, [this, i] {
        if (mLoaded) Guarded([this, i] { cmdCancel_Click(i); });
      });
    }
    if (p.cmdOK[i]) {
      connect(p.cmdOK[i], &QPushButton::clicked, this, [this, i] {
        if (mLoaded) Guarded([this, i] { cmdOK_Click(i); });
      });
    }
  }
  on(p.cmdNewSite, &frmMain::cmdNewSite_Click);
  on(p.cmdChangePassword, &frmMain::cmdChangePassword_Click);
  on(p.cmdLogOff, &frmMain::cmdLogOff_Click);
  on(p.cmdEdit, &frmMain::cmdEdit_Click);
  on(p.cmdGoto, &frmMain::cmdGoto_Click);
  on(p.cmdRecord, &frmMain::cmdRecord_Click);
  on(p.cmdSave, &frmMain::cmdSave_Click);
  on(p.cmdNextStep, &frmMain::cmdNextStep_Click);
  on(p.cmdOptions, &frmMain::cmdOptions_Click);
  on(p.cmdAbout, &frmMain::cmdAbout_Click);
  on(p.cmdNewUser, &frmMain::cmdNewUser_Click);
  on(p.cmdDeleteUser, &frmMain::cmdDeleteUser_Click);
  on(p.cmdOpenFile, &frmMain::cmdOpenFile_Click);
  on(p.cmdContinue, &frmMain::cmdContinue_Click);
  on(p.cmdRenameSite, &frmMain::cmdRenameSite_Click);
  on(p.cmdNewPassword, &frmMain::cmdNewPassword_Click);
  on(p.cmdDeleteSite, &frmMain::cmdDeleteSite_Click);
  on(p.cmdReRecord, &frmMain::cmdReRecord_Click);
  on(p.cmdChangeFile, &frmMain::cmdChangeFile_Click);
  on(p.cmdCopyFile, &frmMain::cmdCopyFile_Click);
  on(p.cmdProtectFile, &frmMain::cmdProtectFile_Click);
  on(p.cmdResetPassword, &frmMain::cmdResetPassword_Click);
  on(p.cmdGenerate, &frmMain::cmdGenerate_Click);
  on(p.cmdCopyNewPassword, &frmMain::cmdCopyNewPassword_Click);
  for (auto [action, handler] : {std::pair{p.actCopyUserName, &frmMain::mnuCopyUserName_Click},
                                 std::pair{p.actCopyPassword, &frmMain::mnuCopyPassword_Click}}) {
    connect(action, &QAction::triggered, this, [this, handler] {
      if (mLoaded) Guarded([this, handler] { (this->*handler)(); });
    });
  }
  connect(p.chkShowPassword, &QCheckBox::toggled, this, [this](bool shown) { chkShowPassword_Click(shown); });
  connect(p.txtFilter, &QLineEdit::textChanged, this, [this] { ApplySiteFilter(); });
  p.lstSites->onDoubleClick = [this](int row) {
    if (mLoaded) Guarded([this, row] { lstSites_DblClick(row); });
  };
}

bool frmMain::event(QEvent* event) {
  if (event->type() == QEvent::KeyPress && HandleKey(static_cast<QKeyEvent*>(event))) return true;
  if (event->type() == QEvent::WindowActivate && mLoaded) Form_Activate();
  return QWidget::event(event);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    // The arrows in the filter box move through the list it narrows.
    if (watched == mPanels.txtFilter && IsListMove(*key)) {
      QCoreApplication::sendEvent(mPanels.lstSites, key);
      return true;
    }
    return HandleKey(key);
  }
  // With nothing chosen in it, the filter box leaves Ctrl+C to copying the
  // site's password.
  if (event->type() == QEvent::ShortcutOverride && watched == mPanels.txtFilter &&
      static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy) &&
      !mPanels.txtFilter->hasSelectedText()) {
    return true;
  }
  if (event->type() == QEvent::FocusIn) {
    // On ModifySite the default button follows the field being typed in:
    // the OK of the box (rename or new password) holding the focus.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && mPanels.Frame2->isAncestorOf(widget)) SetDefaultButton(mPanels.cmdNewPassword);
    if (widget == mPanels.txtNewSiteName) SetDefaultButton(mPanels.cmdRenameSite);
  }
  return QWidget::eventFilter(watched, event);
}

void frmMain::closeEvent(QCloseEvent* event) {
  if (mLoaded) Form_Unload();
  event->accept();
}

void frmMain::SetIE(IBrowser* browser) {
  mIE = browser;
  if (mHooks) Guarded([this] { mHooks->SetIE(mIE); });
}

void frmMain::Load() {
  if (!mLoaded) Form_Load();
}

void frmMain::ShowOver(IBrowserWindowSite&) {
  if (!mLoaded) return;  // a load that failed has been reported already
  if (isMinimized()) {
    showNormal();
  } else {
    show();
  }
  raise();
  activateWindow();
  mHasPosition = true;
  mIdle->Restart();
}

void frmMain::SetRecordingHooks(RecordingHooksFactory factory) { mHooksFactory = std::move(factory); }

void frmMain::Message(const std::string& text) {
  InUse use(*this);
  mServices.messages->Show(text);
}

bool frmMain::Ask(const std::string& text) {
  InUse use(*this);
  return mServices.messages->AskYesNo(text);
}

std::string frmMain::Setting(const std::string& key, const std::string& fallback) {
  return mServices.settings->GetSetting(key, fallback);
}

void frmMain::SaveSetting(const std::string& key, const std::string& value) {
  mServices.settings->SaveSetting(key, value);
}

std::string frmMain::Text(const QLineEdit* box) { return ToUtf8(box->text()); }

void frmMain::ShowError(int32_t number) {
  InUse use(*this);
  ostrel::ShowError(*mServices.messages, number, "");
}

void frmMain::ReportError(const OstrelError& error) {
  InUse use(*this);
  if (error.Number() == err::kCorruptedFile && mLoaded && ProtectedElsewhere()) {
    // Its slots no longer open with the key this window holds.
    LogError(error);
    if (mHooks) mHooks->EndRecording();
    ForgetUser();
    ShowPanel(kLogin);
    Message("Another Ostrel window or program protected this password file with each person's password "
            "in the meantime, so nothing was done; please log in again.");
    return;
  }
  if (error.Number() != err::kRecordChanged || !mLoaded) {
    ostrel::ReportError(*mServices.messages, error);
    return;
  }
  LogError(error);
  try {
    if (mCurrentPanel == kLogin) {
      FillUserList();
    } else if (mCurrentPanel == kSiteList || mCurrentPanel == kModifySite ||
               mCurrentPanel == kRecordReady || mCurrentPanel == kRecording ||
               mCurrentPanel == kNameSite) {
      RefreshSiteList();
      ShowPanel(kSiteList);
    }
  } catch (const OstrelError& e) {
    ostrel::ReportError(*mServices.messages, e);
  } catch (const std::exception& e) {
    ostrel::ReportError(*mServices.messages, OstrelError(err::kInternalError, e.what()));
  }
  Message(error.Explanation());
}

}  // namespace ostrel
