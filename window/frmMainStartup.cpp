// Start-up and unload, the settings, the choice of password file and the
// user list.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <optional>

#include "store/BuiltInKey.h"
#include "platform/cipher/EncryptedData.h"
#include "store/FileProtection.h"
#include "store/PasswordFile.h"
#include "store/SlotLimits.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"
#include "support/ShowError.h"
#include "window/Text.h"
#include "window/Twips.h"
#include "window/frmMain.h"

namespace ostrel {

namespace {

const char kDefaultFileName[] = "ostrel.xps";
const char kFilter[] = "All Files (*.xps)";
constexpr float kDefaultPosition = 1000;
const char kExtension[] = ".xps";
constexpr int kDefaultIdleMinutes = 10;

// A stored window edge in twips; nothing when the text is not a number or
// lies beyond any desktop.
std::optional<float> ParsePosition(const std::string& text) {
  constexpr float kFarthest = 1e7f;  // twips, over 600,000 pixels
  float value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || !(std::fabs(value) <= kFarthest)) return std::nullopt;
  return value;
}

int ParseInteger(const std::string& text, int fallback) {
  int value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end && value >= INT16_MIN && value <= INT16_MAX ? value
                                                                                    : fallback;
}

// The text of a single-precision number, shortest form ("1500", "1234.5").
std::string SingleText(float value) {
  char buffer[32];
  auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, ec == std::errc() ? ptr : buffer);
}

// path with ".xps" added when its file name has no extension of its own
// ("copy" and "copy." both give "copy.xps"; a leading dot starts no
// extension).
std::string WithExtension(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return path + kExtension;
  if (dot + 1 == name.size()) return path + (kExtension + 1);
  return path;
}

// The file to open for a name chosen in an open dialog: without an
// extension, the ".xps" file of that name, unless only the name as given
// exists.
template <typename Exists>
std::string OpenName(const std::string& chosen, Exists exists) {
  const std::string named = WithExtension(chosen);
  return named != chosen && !exists(named) && exists(chosen) ? chosen : named;
}

}  // namespace

void frmMain::ResetControls() {
  for (QLineEdit* box : mPanels.TextBoxes()) box->clear();
  mPanels.cmbUserNames->clear();
  mPanels.lstSites->clear();
  SetDefaultButton(nullptr);
  SetCancelButton(nullptr);
  mSiteIndex = -1;
  mLoggedInUserID = -1;
}

bool frmMain::Form_Load() {
  try {
    mContext = std::make_unique<StoreContext>(mServices.files());
    mDefaultFolder = mServices.documentsFolder();
    const std::optional<float> left = ParsePosition(Setting("MainLeft", ""));
    const std::optional<float> top = ParsePosition(Setting("MainTop", ""));
    mHasPosition = left && top;
    move(static_cast<int>(left.value_or(kDefaultPosition) / kTwipsPerPixel),
         static_cast<int>(top.value_or(kDefaultPosition) / kTwipsPerPixel));
    ResetControls();
    for (QGroupBox* frame : mPanels.fra) {
      frame->move(frame->x(), 0);
      frame->setEnabled(false);
    }
    mCurrentPanel = -1;
    mContext->HeaderCipher.SetSecret(BuildBuiltInKey());
    mContext->PasswordFileName = Setting("FileName", "");
    if (mContext->PasswordFileName.empty() || !UsableFile(mContext->PasswordFileName)) {
      mContext->PasswordFileName = mDefaultFolder + "/" + kDefaultFileName;
    }
    const std::string& path = mContext->PasswordFileName;
    if (FileExists(path) && !IsOstrelFile(path)) {
      // Opening it would write a header into somebody's own file.
      throw OstrelError(err::kInvalidFile, path + " is not an Ostrel file",
                        "The file " + path + " is not an Ostrel file, so Ostrel left it as it "
                        "is. Move or rename it, then open Ostrel again to make a new one.");
    }
    Users = std::make_unique<WebUsers>(*mContext);
    FileHeader = std::make_unique<FileInfo>(*mContext);
    mLoaded = true;
    if (mHooksFactory) {
      mHooks = mHooksFactory(*this, *mContext);
      if (mHooks) mHooks->SetIE(mIE);
    }
    if (FileHeader->IsEmpty()) {
      ShowPanel(kWelcome);
    } else {
      OpenPasswordFile();
    }
    const int idle = ParseInteger(Setting("IdleMinutes", ""), kDefaultIdleMinutes);
    mIdle->SetMinutes(idle < 0 ? kDefaultIdleMinutes : idle);
    return true;
  } catch (const OstrelError& e) {
    ostrel::ReportError(*mServices.messages, e);
  } catch (const std::exception& e) {
    ostrel::ReportError(*mServices.messages, OstrelError(err::kInternalError, e.what()));
  }
  hide();
  mLoaded = true;
  Form_Unload();
  return false;
}

void frmMain::Form_Unload() {
  if (!isMinimized()) {
    const QRect frame = frameGeometry();
    SaveSetting("MainLeft", SingleText(PixelsToTwips(frame.x())));
    SaveSetting("MainTop", SingleText(PixelsToTwips(frame.y())));
  }
  mIdle->SetMinutes(0);
  mClipboard->Clear();
  for (QLineEdit* box : mPanels.SecretBoxes()) box->clear();
  mHasPosition = false;
  mLoaded = false;
  mIE = nullptr;
  if (mHooks) mHooks->Stop();
  RetireLoad();
}

void frmMain::RetireLoad() {
  mRetired.push_back({std::move(mContext), std::move(FileHeader), std::move(Users), std::move(mHooks)});
  if (mInUse == 0) mRetired.clear();
}

std::string frmMain::FolderOf(const std::string& path) const {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash);
}

bool frmMain::FileExists(const std::string& path) {
  try {
    return mContext->Files().FileLength(path) != 0;
  } catch (const OstrelError&) {
    return false;
  }
}

// Every Ostrel file holds its header in slot 16 as an encrypted record's
// text: Base64 (at least one sealed empty record long, whole groups of four)
// followed by NUL padding. A damaged header still looks so (and reads as a
// corrupted file); other files do not, and are never given to FileInfo,
// which would write a header into them.
bool frmMain::IsOstrelFile(const std::string& path) {
  constexpr int64_t kHeaderSlot = 15 * kUserSlotSize;  // slot 16
  StoreContext probe(mServices.files());
  probe.PasswordFileName = path;
  PasswordFile file(probe, PasswordFile::Access::kRead);
  if (file.Length() < kHeaderSlot + kUserSlotSize) return false;
  std::string slot(kUserSlotSize, '\0');
  file.Read(kHeaderSlot, kUserSlotSize, slot.data());
  const size_t text = std::min(slot.find('\0'), slot.size());
  if (text < static_cast<size_t>(EncryptedData::TextLength(0)) || text % 4 != 0) return false;
  const auto base64 = [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '/' || c == '=';
  };
  return std::all_of(slot.begin(), slot.begin() + text, base64) &&
         slot.find_first_not_of('\0', text) == std::string::npos;
}

bool frmMain::UsableFile(const std::string& path) {
  try {
    return FileExists(path) && IsOstrelFile(path);
  } catch (const OstrelError&) {
    return false;
  }
}

bool frmMain::CheckFile(const std::string& path) {
  if (TrimBlanks(path).empty()) return false;
  if (!FileExists(path)) {
    ShowError(err::kFileNotFound);
    return false;
  }
  if (!IsOstrelFile(path)) {
    ShowError(err::kInvalidFile);
    return false;
  }
  return true;
}

void frmMain::OpenPasswordFile() {
  FileProtection::Prepare(*mContext, *FileHeader);
  FillUserList();
  ShowPanel(Users->Count() == 0 ? kNewUser : kLogin);
}

// Makes the file at path the open one: a new header object (which brings
// the header up to date), the data key from it and the user table. Nothing
// changes when any step fails.
void frmMain::SwitchPasswordFile(const std::string& path) {
  const std::string previous = mContext->PasswordFileName;
  mContext->PasswordFileName = path;
  try {
    auto header = std::make_unique<FileInfo>(*mContext);
    auto users = std::make_unique<WebUsers>(*mContext);
    FileProtection::Prepare(*mContext, *header);
    users->Load();
    FileHeader = std::move(header);
    Users = std::move(users);
  } catch (...) {
    mContext->PasswordFileName = previous;
    if (!FileHeader->IsEmpty()) FileProtection::Prepare(*mContext, *FileHeader);
    throw;
  }
}

void frmMain::FillUserList() {
  QComboBox* list = mPanels.cmbUserNames;
  list->clear();
  Users->Load();
  for (int16_t i = 1; i <= Users->Count(); ++i) list->addItem(FromUtf8(Users->UserName(i)), i);
  list->setCurrentIndex(-1);
  if (list->count() == 0) return;
  int remembered = ParseInteger(Setting("User", "-1"), -1);
  if (remembered == -2) {
    remembered = list->itemData(list->count() - 1).toInt();
    SaveSetting("User", std::to_string(remembered));
  }
  list->setCurrentIndex(list->findData(remembered));
}

int16_t frmMain::SelectedUserIndex() const {
  const QComboBox* list = mPanels.cmbUserNames;
  if (list->count() == 0 || list->currentIndex() < 0) return -1;
  return static_cast<int16_t>(list->currentData().toInt());
}

void frmMain::cmdContinue_Click() {
  const std::string typed = Text(mPanels.txtInitialFilePathName);
  if (CheckFile(typed)) {
    const std::string path = TrimBlanks(typed);
    SwitchPasswordFile(path);
    SaveSetting("FileName", path);
    FillUserList();
    ShowPanel(Users->Count() == 0 ? kNewUser : kLogin);
    return;
  }
  mPanels.txtInitialFilePathName->clear();
  const std::string key = TrimBlanks(Text(mPanels.txtEncryptionKey));
  if (CharacterCount(key) < static_cast<size_t>(kMinEncryptionKeyLength)) {
    Message("The encryption key has to be at least 8 character long");
    return;
  }
  if (key.size() > static_cast<size_t>(kMaxEncryptionKeyBytes)) {
    Message("The encryption key is too long: it may have at most " +
            std::to_string(kMaxEncryptionKeyBytes) + " bytes.");
    return;
  }
  if (mPanels.chkProtect->isChecked()) {
    FileProtection::Create(*mContext, *FileHeader, key);
  } else {
    mContext->DataCipher.SetSecret(key);
    FileHeader->SetEncryptionKey(key);
  }
  ShowPanel(kNewUser);
}

void frmMain::cmdOpenFile_Click() {
  const std::string chosen = mServices.dialogs->OpenFile("Open", "", kFilter);
  if (chosen.empty()) return;
  const std::string name = OpenName(chosen, [this](const std::string& p) { return FileExists(p); });
  if (CheckFile(name)) mPanels.txtInitialFilePathName->setText(FromUtf8(name));
}

void frmMain::cmdOptions_Click() { ShowPanel(kOptions); }

void frmMain::cmdChangeFile_Click() {
  const std::string chosen = mServices.dialogs->OpenFile(
      "Select another Ostrel file", FolderOf(mContext->PasswordFileName), kFilter);
  if (chosen.empty()) return;
  const std::string name = OpenName(chosen, [this](const std::string& p) { return FileExists(p); });
  if (CheckFile(name)) mPanels.txtFileName->setText(FromUtf8(name));
}

void frmMain::cmdCopyFile_Click() {
  const std::string chosen = mServices.dialogs->SaveFile(
      "Copy your Ostrel file to another location", FolderOf(mContext->PasswordFileName), kFilter);
  if (chosen.empty()) return;
  // Without the extension the copy would not be listed by the dialogs.
  const std::string name = WithExtension(chosen);
  std::error_code ec;
  // The file copied onto itself is already there; copying would only risk it.
  if (std::filesystem::equivalent(mContext->PasswordFileName, name, ec)) return;
  PasswordFile::Copy(*mContext, name);
}

void frmMain::OptionsOK() {
  const std::string typed = Text(mPanels.txtFileName);
  const std::string path = TrimBlanks(typed);
  if (path != mContext->PasswordFileName && CheckFile(typed)) {
    // The new file is opened at once, so nothing of the old file's users or
    // key is ever written into it.
    SwitchPasswordFile(path);
    SaveSetting("FileName", path);
    FillUserList();
  }
  ShowPanel(kLogin);
}

}  // namespace ostrel
