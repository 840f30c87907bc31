#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browser/IBrowserWindowSite.h"
#include "browser/ILoginWindow.h"
#include "platform/browser/Browser.h"
#include "store/FileInfo.h"
#include "store/ListedSite.h"
#include "store/StoreContext.h"
#include "store/WebUsers.h"
#include "window/ControlList.h"
#include "window/IdleWatch.h"
#include "window/KeyDispatcher.h"
#include "window/MainPanels.h"
#include "window/RecordingHooks.h"
#include "window/SecretClipboard.h"
#include "window/WindowServices.h"

namespace ostrel {

// The Ostrel window: ten panels stacked in one frame position, one shown at
// a time (ShowPanel), with the start-up and the password file, users and
// login, the site list, and its own keyboard handling of Tab, Enter and
// Escape. See MainPanels.h for the panels and their controls.
//
// Life: made not loaded; Load() runs the start-up (ciphers, settings, the
// password file, the first panel); hiding keeps everything loaded; closing
// unloads it (position saved, store objects, browser and ciphers released)
// and the next Load() starts afresh. While loaded it owns the StoreContext
// of its password file, the user table (Users) and the header (FileHeader).
//
// Every user action runs under one error guard: a failure is shown with
// ShowError (the error's number, and its explanation when it has one) and
// ends the action; nothing escapes the window.
//
// Handlers may run inside other handlers' waits (Go To pumps events; a
// message box runs a loop of its own). So nothing a handler may still be
// using is destroyed under it: closing the window while a handler runs
// stops a recording or Go To under way and unloads, but the objects of that
// load are released only once every handler has returned; Dispose() lets
// the window's dialogs go and deletes the window itself at that moment.
class frmMain : public QWidget, public IMainWindow, public ILoginWindow {
 public:
  static constexpr int32_t kSiteList = 0, kRecordReady = 1, kRecording = 2, kNameSite = 3,
                           kLogin = 4, kWelcome = 5, kNewUser = 6, kModifyPassword = 7,
                           kModifySite = 8, kOptions = 9;

  explicit frmMain(WindowServices services = {}, QWidget* parent = nullptr);
  ~frmMain() override;

  // The toolbar button's side.
  // The IE property: stores the browser in mIE (not owned; nullptr unbinds)
  // and passes it on to the recording hooks.
  void SetIE(IBrowser* browser) override;
  IBrowser* IE() const { return mIE; }
  // Runs the start-up unless the window is loaded. A failure is shown and
  // leaves the window hidden and unloaded.
  void Load() override;
  // Shows the loaded window, not modal, in front (a minimised one restored
  // to its place) and starts the idle period over; an unloaded one stays
  // hidden.
  void ShowOver(IBrowserWindowSite& owner) override;
  bool IsLoaded() const { return mLoaded; }
  // The window is going away for good (its browser window has closed): it
  // hides, its open dialogs are cancelled, a recording or Go To under way
  // stops quietly, it unloads, and it deletes itself once every handler
  // running in it has returned. Do not use the object after this call.
  void Dispose();
  // Whether the window has a place of its own: one stored at the last
  // unload ("MainLeft" and "MainTop" both readable), or the one it had when
  // it was last shown since this load. Without one, whoever shows it
  // chooses where.
  bool HasPosition() const { return mHasPosition; }

  // What recording and replay use.
  void ShowPanel(int32_t n) override;
  int32_t CurrentPanel() const override { return mCurrentPanel; }
  std::string SiteNameText() override;
  void ProposeSiteName(const std::string& text) override;
  std::string SelectedSiteName() override;
  int16_t SiteIndex() override { return mSiteIndex; }
  void SetSiteIndex(int16_t index) override { mSiteIndex = index; }
  int16_t CurrentUserID() override;
  void RefreshSiteList() override;
  // Shows a caught error. err::kRecordChanged (another window or program
  // changed the records meanwhile) first brings the list it concerns up to
  // date (the site list, or on Login the user list) and is told in a plain
  // message, its explanation.
  void ReportError(const OstrelError& error) override;
  void ShowMessage(const std::string& text) override { Message(text); }
  void Defer(std::function<void()> action) override;
  void SetBusy(bool busy) override;
  // ShowError(number, ""): the number's own text.
  void ShowError(int32_t number);
  // Selects the entry of lstSites whose entry data is slot; nothing when
  // slot is negative or no entry carries it.
  void SelectSite(int16_t slot);
  // The 1-based user-table index of the entry selected in cmbUserNames;
  // -1 when none is.
  int16_t SelectedUserIndex() const;
  // Hooks for recording and replay, made at each load; without them
  // "Start Recording", "&Save" and "&Go To" do nothing and "&Re-record"
  // only shows RecordReady. Takes effect at the next load.
  void SetRecordingHooks(RecordingHooksFactory factory);
  // The store context of the open file; nullptr while not loaded.
  StoreContext* Context() { return mContext.get(); }

  // The window's controls, by name.
  const MainPanels& Panels() const { return mPanels; }
  // Every control with its name, array index and tab index, in the
  // window's own order.
  const ControlList& Controls() const { return mControls; }

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // Runs action; an error is shown and ends it. While it runs (and any
  // message box or dialog it opens) the window counts as busy.
  void Guarded(const std::function<void()>& action);
  // Marks the window in use by a handler for its lifetime; the last to
  // leave releases what was retired meanwhile.
  class InUse {
   public:
    explicit InUse(frmMain& window) : window_(window) { ++window_.mInUse; }
    ~InUse() { window_.LeaveUse(); }
    InUse(const InUse&) = delete;
    InUse& operator=(const InUse&) = delete;

   private:
    frmMain& window_;
  };
  void LeaveUse();
  void PersonLeft();
  // A handler is running, or a recording or a Go To is under way.
  bool Busy() const;
  void Connect();
  void Message(const std::string& text);
  bool Ask(const std::string& text);
  std::string Setting(const std::string& key, const std::string& fallback);
  void SaveSetting(const std::string& key, const std::string& value);
  static std::string Text(const QLineEdit* box);

  // Panels (frmMainPanels.cpp).
  void SetDefaultButton(CommandButton* button);
  void SetCancelButton(CommandButton* button);
  // The control that takes the focus when panel n is shown.
  QWidget* FocusOfPanel(int32_t n) const;
  void Form_Activate();
  void UpdateCaption();
  void cmdCancel_Click(int16_t Index);

  // Start-up, settings and the password file (frmMainStartup.cpp).
  bool Form_Load();
  void Form_Unload();
  // Hands the objects of the load over for release: at once when no
  // handler runs, else when the last one returns.
  void RetireLoad();
  void ResetControls();
  std::string FolderOf(const std::string& path) const;
  bool FileExists(const std::string& path);
  // Whether the (existing) file at path is an Ostrel file, by the form of
  // its header (a damaged one is still one). Reads only. File errors pass
  // through.
  bool IsOstrelFile(const std::string& path);
  // FileExists and IsOstrelFile, any error giving false.
  bool UsableFile(const std::string& path);
  // A blank path: false, silently. A missing or empty file: "Your Ostrel
  // file cannot be found."; a file that is not an Ostrel file: "The file
  // you selected is invalid."; both give false.
  bool CheckFile(const std::string& path);
  void OpenPasswordFile();
  void SwitchPasswordFile(const std::string& path);
  void FillUserList();
  void cmdContinue_Click();
  void cmdOpenFile_Click();
  void cmdOptions_Click();
  void cmdChangeFile_Click();
  void cmdCopyFile_Click();
  void OptionsOK();

  // A password file protected with each person's password
  // (frmMainProtection.cpp).
  // Reads the header anew before a login: a file another program protected
  // meanwhile is opened as protected from now on.
  void PickUpHeader();
  // Whether the file was protected since this window opened it.
  bool ProtectedElsewhere();
  // Asks for the file's encryption key with `prompt`; true when it is the
  // file's (a protected file's data key is then held until the next
  // log-off). A wrong key is told with `refused`; Cancel says nothing.
  bool UnlockWithEncryptionKey(const std::string& prompt, const std::string& refused);
  void cmdProtectFile_Click();
  void cmdResetPassword_Click();

  // Users and login (frmMainUsers.cpp).
  // The new password typed in first and again in second, without
  // surrounding blanks, when both agree and it is not blank. Otherwise says
  // why, empties both boxes, puts the focus in the first and gives nothing.
  std::optional<std::string> NewPasswordTypedTwice(QLineEdit* first, QLineEdit* second);
  void cmdOK_Click(int16_t Index);
  void LoginOK();
  void NewUserOK();
  void ModifyPasswordOK();
  void cmdNewUser_Click();
  void cmdDeleteUser_Click();
  void cmdChangePassword_Click();
  void cmdLogOff_Click();
  void cmdAbout_Click();
  // The idle period has passed: back to Login (when the file has users),
  // every password box emptied, the window hidden. Nothing else changes.
  void LogOffIdle();
  // What every log-off leaves: nobody logged in, no secret in any box, no
  // list of the user's sites.
  void ForgetUser();

  // The site list (frmMainSites.cpp).
  // Shows the entries of lstSites whose names hold the text of the filter
  // box (in any letter case; all of them when it is empty) and keeps an
  // entry among them chosen: the one chosen before, else the first.
  void ApplySiteFilter();
  // Chooses the first entry shown, if any.
  void SelectFirstSite();
  int ListIndex() const;
  // The site at `row` of lstSites as the list showed it.
  ListedSite ListedAt(int row) const;
  void cmdNewSite_Click();
  void cmdEdit_Click();
  void cmdRenameSite_Click();
  void cmdNewPassword_Click();
  void cmdDeleteSite_Click();
  void cmdGoto_Click();
  void lstSites_DblClick(int row);
  void cmdRecord_Click();
  void cmdSave_Click();
  void cmdNextStep_Click();
  void cmdReRecord_Click();

  // Copying and generating passwords (frmMainSecrets.cpp).
  // Puts the value of the chosen site's first input of type ctlType (1 a
  // user name, 3 a password) on the clipboard with care; says so when the
  // login has none.
  void CopyFromSite(int32_t ctlType);
  void mnuCopyUserName_Click();
  void mnuCopyPassword_Click();
  void cmdGenerate_Click();
  void cmdCopyNewPassword_Click();
  void chkShowPassword_Click(bool shown);

  // Keyboard (frmMainKeys.cpp).
  bool HandleKey(QKeyEvent* event);
  void PressButton(const ControlEntry& button);
  void CancelButton(const ControlEntry& button);

  // Services, owned when made here.
  std::unique_ptr<IMessageBox> mOwnMessages;
  std::unique_ptr<IFileDialogs> mOwnDialogs;
  std::unique_ptr<ISettings> mOwnSettings;
  std::unique_ptr<ISystemTools> mOwnTools;
  std::unique_ptr<IOneShotTimer> mOwnIdleTimer;
  std::unique_ptr<IOneShotTimer> mOwnClipboardTimer;
  std::unique_ptr<ILockSignals> mOwnLockSignals;
  WindowServices mServices;

  MainPanels mPanels;
  ControlList mControls;
  std::unique_ptr<KeyDispatcher> mKeys;
  CommandButton* mDefaultButton = nullptr;
  CommandButton* mCancelButton = nullptr;

  bool mLoaded = false;
  bool mHasPosition = false;
  std::unique_ptr<IdleWatch> mIdle;
  std::unique_ptr<SecretClipboard> mClipboard;
  int32_t mCurrentPanel = -1;
  int16_t mSiteIndex = -1;
  // The id of the user who logged in (-1: nobody); the chosen entry of the
  // user list must still stand for that user.
  int16_t mLoggedInUserID = -1;
  // The owner whose sites lstSites shows (-1: none), and the site chosen
  // with Modify as the list showed it: the site commands act only while its
  // slot still holds it.
  int16_t mListedOwner = -1;
  ListedSite mSiteListed;
  std::string mDefaultFolder;
  IBrowser* mIE = nullptr;

  // While loaded (released in this order at unload: hooks, Users,
  // FileHeader, then the context with both ciphers).
  std::unique_ptr<StoreContext> mContext;
  std::unique_ptr<FileInfo> FileHeader;
  std::unique_ptr<WebUsers> Users;
  RecordingHooksFactory mHooksFactory;
  std::unique_ptr<IRecordingHooks> mHooks;

  // The objects of earlier loads, released when no handler runs any more
  // (members go in reverse order: the hooks first, the context last).
  struct Retired {
    std::unique_ptr<StoreContext> context;
    std::unique_ptr<FileInfo> header;
    std::unique_ptr<WebUsers> users;
    std::unique_ptr<IRecordingHooks> hooks;
  };
  std::vector<Retired> mRetired;
  int mInUse = 0;
  bool mDisposed = false;
  bool mLeftWhileBusy = false;  // the person left while a handler ran
};

}  // namespace ostrel
