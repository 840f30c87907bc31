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

constexpr int16_t kPasswordInput = 3;  // a control's type code

const char kNoPasswordInput[] =
    "This site's login holds no password, so there is none to change. Re-record the site to "
    "store a login with a password.";

const char kTooLong[] =
    "This text is too long to be stored with this site. Please enter a shorter one.";

}  // namespace

// The list is read in one pass and handed to the list's model at once.
void frmMain::RefreshSiteList() {
  SiteList* list = mPanels.lstSites;
  list->clear();
  mListedOwner = -1;
  const int16_t index = SelectedUserIndex();
  if (index == -1 || !Users) return;
  const int16_t owner = CurrentUserID();
  list->SetSites(WebRecord(*mContext).ListSites(owner));
  mListedOwner = owner;
}

void frmMain::ApplySiteFilter() { mPanels.lstSites->SetFilter(mPanels.txtFilter->text().trimmed()); }

void frmMain::SelectFirstSite() {
  if (mPanels.lstSites->count() > 0) mPanels.lstSites->setCurrentRow(0);
}

ListedSite frmMain::ListedAt(int row) const {
  ListedSite site = mPanels.lstSites->Site(row);
  site.Owner = mListedOwner;
  return site;
}

void frmMain::SelectSite(int16_t slot) {
  if (slot < 0) return;
  const int row = mPanels.lstSites->RowOfSlot(slot);
  if (row >= 0) mPanels.lstSites->setCurrentRow(row);
}

int frmMain::ListIndex() const { return mPanels.lstSites->currentRow(); }

std::string frmMain::SiteNameText() { return Text(mPanels.txtSiteName); }

// A page title longer than the name box takes is cut to fit it, between
// two characters, so that the box can still be edited.
void frmMain::ProposeSiteName(const std::string& text) {
  mPanels.txtSiteName->setText(LeftUtf8Bytes(FromUtf8(text), kMaxStringBytes));
  mPanels.txtSiteName->setFocus();
  mPanels.txtSiteName->selectAll();
}

std::string frmMain::SelectedSiteName() {
  const int row = ListIndex();
  return row < 0 ? "" : ToUtf8(mPanels.lstSites->text(row));
}

void frmMain::cmdNewSite_Click() {
  mSiteIndex = -1;
  ShowPanel(kRecordReady);
}

// Every command on a site chosen from the list first checks that its slot
// still holds it; when another window or program has changed the records,
// the store raises err::kRecordChanged and ReportError brings the list up
// to date and says so.
void frmMain::cmdEdit_Click() {
  const int row = ListIndex();
  if (row < 0) return;
  const ListedSite listed = ListedAt(row);
  WebRecord(*mContext).CheckSite(listed);
  mSiteListed = listed;
  mSiteIndex = listed.Slot;
  ShowPanel(kModifySite);
  mPanels.txtNewSiteName->setText(mPanels.lstSites->text(row));
}

void frmMain::cmdRenameSite_Click() {
  const std::string name = TrimBlanks(Text(mPanels.txtNewSiteName));
  if (IsBlank(name)) return;
  WebRecord record(*mContext);
  record.Retrieve(mSiteListed);
  record.SetSiteName(name);
  if (!Fits(record, name)) {
    Message(kTooLong);
    return;
  }
  record.Save(CurrentUserID(), mSiteListed);
  RefreshSiteList();
  ShowPanel(kSiteList);
}

// The password is typed twice, masked; nothing typed in either box changes
// nothing. The first password input of the record takes it; a record
// without one is refused.
void frmMain::cmdNewPassword_Click() {
  MainPanels& p = mPanels;
  if (TrimBlanks(Text(p.txtNewPassword)).empty() && TrimBlanks(Text(p.txtNewPasswordConfirm)).empty()) {
    return;
  }
  const std::optional<std::string> password =
      NewPasswordTypedTwice(p.txtNewPassword, p.txtNewPasswordConfirm);
  if (!password) return;
  WebRecord record(*mContext);
  record.Retrieve(mSiteListed);
  ControlInfo* input = record.FirstControlOfType(kPasswordInput);  // in whichever step holds it
  if (!input) {
    Message(kNoPasswordInput);
    return;
  }
  input->Value = *password;
  if (!Fits(record, *password)) {
    Message(kTooLong);
    return;
  }
  record.Save(CurrentUserID(), mSiteListed);
  RefreshSiteList();
  ShowPanel(kSiteList);
  SelectSite(mSiteIndex);
  Message("The password of \"" + mSiteListed.Name + "\" was changed.");
}

void frmMain::cmdDeleteSite_Click() {
  if (!Ask("Are you sure you want to delete this site from your list?")) return;
  WebRecord(*mContext).DeleteSite(mSiteListed);
  RefreshSiteList();
  ShowPanel(kSiteList);
}

void frmMain::cmdGoto_Click() {
  const int row = ListIndex();
  if (row >= 0) lstSites_DblClick(row);
}

// Replay loads the record itself; the expectation makes that load check the
// slot again under the file's lock.
void frmMain::lstSites_DblClick(int row) {
  if (row < 0 || row >= mPanels.lstSites->count() || !mHooks) return;
  const ListedSite listed = ListedAt(row);
  WebRecord(*mContext).CheckSite(listed);
  StoreContext::ExpectSite expect(*mContext, listed);
  mHooks->GoToSite(listed.Slot);
}

void frmMain::cmdRecord_Click() {
  if (mHooks) mHooks->cmdRecord_Click();
}

// A re-recording is saved into the slot of the site chosen with Modify.
void frmMain::cmdSave_Click() {
  if (IsBlank(SiteNameText())) {
    // A blank name would be an invisible entry of the list.
    Message("Please enter a name for the website.");
    mPanels.txtSiteName->setFocus();
    return;
  }
  if (!mHooks) return;
  if (mSiteIndex == -1 || mSiteListed.Slot != mSiteIndex) {
    mHooks->cmdSave_Click();
    return;
  }
  WebRecord(*mContext).CheckSite(mSiteListed);
  StoreContext::ExpectSite expect(*mContext, mSiteListed);
  mHooks->cmdSave_Click();
}

void frmMain::cmdNextStep_Click() {
  if (mHooks) mHooks->cmdNextStep_Click();
}

void frmMain::cmdReRecord_Click() {
  if (mHooks) {
    mHooks->cmdReRecord_Click();
  } else {
    ShowPanel(kRecordReady);
  }
}

}  // namespace ostrel
