// The site list: filling it for the logged-in user, selecting by slot, and
// the commands of SiteList and ModifySite. Recording and replay are reached
// through the recording hooks.
#include "store/SlotLimits.h"
#include "store/WebRecord.h"
#include "window/Text.h"
#include "window/frmMain.h"

namespace ostrel {

namespace {

constexpr size_t kMaxStringBytes = 255;  // a short string of the record

// Whether the changed text fits its field and the record, packed, still fits its slot; a record that does not
// is refused with a message before anything is written.
bool Fits(const WebRecord& record, const std::string& changed) {
  return changed.size() <= kMaxStringBytes && record.PackedLength() <= kMaxSiteRecordBytes;
}

const char kTooLong[] =
    "This text is too long to be stored with this site. Please enter a shorter one.";

}  // namespace

void frmMain::RefreshSiteList() {
  QListWidget* list = mPanels.lstSites;
  list->clear();
  const int16_t index = SelectedUserIndex();
  if (index == -1 || !Users) return;
  const int16_t owner = Users->GetUserID(index);
  WebRecord record(*mContext);
  record.FileOpen();
  const int16_t count = record.RecordCount();
  list->setUpdatesEnabled(false);
  for (int16_t slot = 1; slot <= count; ++slot) {
    std::string name;
    if (record.Read(slot, owner, name)) {
      auto* item = new QListWidgetItem(FromUtf8(name), list);
      item->setData(Qt::UserRole, slot);
    }
  }
  list->setUpdatesEnabled(true);
  record.FileClose();
}

void frmMain::SelectSite(int16_t slot) {
  if (slot < 0) return;
  QListWidget* list = mPanels.lstSites;
  for (int row = 0; row < list->count(); ++row) {
    if (list->item(row)->data(Qt::UserRole).toInt() == slot) {
      list->setCurrentRow(row);
      return;
    }
  }
}

int frmMain::ListIndex() const {
  const QList<QListWidgetItem*> selected = mPanels.lstSites->selectedItems();
  return selected.isEmpty() ? -1 : mPanels.lstSites->row(selected.front());
}

std::string frmMain::SiteNameText() { return Text(mPanels.txtSiteName); }

void frmMain::ProposeSiteName(const std::string& text) {
  mPanels.txtSiteName->setText(FromUtf8(text));
  mPanels.txtSiteName->setFocus();
  mPanels.txtSiteName->selectAll();
}

std::string frmMain::SelectedSiteName() {
  const int row = ListIndex();
  return row < 0 ? "" : ToUtf8(mPanels.lstSites->item(row)->text());
}

void frmMain::cmdNewSite_Click() {
  mSiteIndex = -1;
  ShowPanel(kRecordReady);
}

void frmMain::cmdEdit_Click() {
  const int row = ListIndex();
  if (row < 0) return;
  const QListWidgetItem* item = mPanels.lstSites->item(row);
  mSiteIndex = static_cast<int16_t>(item->data(Qt::UserRole).toInt());
  ShowPanel(kModifySite);
  mPanels.txtNewSiteName->setText(item->text());
}

void frmMain::cmdRenameSite_Click() {
  const std::string name = TrimBlanks(Text(mPanels.txtNewSiteName));
  if (IsBlank(name)) return;
  WebRecord record(*mContext);
  record.Retrieve(mSiteIndex);
  record.SetSiteName(name);
  if (!Fits(record, name)) {
    Message(kTooLong);
    return;
  }
  record.Save(CurrentUserID(), mSiteIndex);
  RefreshSiteList();
  ShowPanel(kSiteList);
}

void frmMain::cmdNewPassword_Click() {
  const std::string password = TrimBlanks(Text(mPanels.txtNewPassword));
  if (password.empty()) return;
  WebRecord record(*mContext);
  record.Retrieve(mSiteIndex);
  for (int16_t i = 1; i <= record.ControlsCount(); ++i) {
    if (record.Control(i).CtlType == 3) {
      record.Control(i).Value = password;
      break;
    }
  }
  if (!Fits(record, password)) {
    Message(kTooLong);
    return;
  }
  record.Save(CurrentUserID(), mSiteIndex);
  RefreshSiteList();
  ShowPanel(kSiteList);
  SelectSite(mSiteIndex);
}

void frmMain::cmdDeleteSite_Click() {
  if (!Ask("Are you sure you want to delete this site from your list?")) return;
  {
    WebRecord record(*mContext);
    record.FileOpen();
    record.Delete(mSiteIndex);
    record.FileClose();
  }
  RefreshSiteList();
  ShowPanel(kSiteList);
}

void frmMain::cmdGoto_Click() {
  const int row = ListIndex();
  if (row >= 0) lstSites_DblClick(row);
}

void frmMain::lstSites_DblClick(int row) {
  QListWidgetItem* item = mPanels.lstSites->item(row);
  if (item == nullptr || !mHooks) return;
  mHooks->GoToSite(static_cast<int16_t>(item->data(Qt::UserRole).toInt()));
}

void frmMain::cmdRecord_Click() {
  if (mHooks) mHooks->cmdRecord_Click();
}

void frmMain::cmdSave_Click() {
  if (IsBlank(SiteNameText())) {
    // A blank name would be an invisible entry of the list.
    Message("Please enter a name for the website.");
    mPanels.txtSiteName->setFocus();
    return;
  }
  if (mHooks) mHooks->cmdSave_Click();
}

void frmMain::cmdReRecord_Click() {
  if (mHooks) {
    mHooks->cmdReRecord_Click();
  } else {
    ShowPanel(kRecordReady);
  }
}

}  // namespace ostrel
