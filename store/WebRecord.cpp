#include "store/WebRecord.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "store/Blocks.h"
#include "store/Codec.h"
#include "store/FileChange.h"
#include "store/SiteSlots.h"
#include "store/SlotLimits.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

namespace {

// Site slots are 1..32765 (slot k is 2048-byte record k + 2, a 16-bit number).
void CheckSlotNumber(int32_t index) {
  if (index < 1) {
    throw OstrelError(err::kBadRecordNumber,
                      "site slot " + std::to_string(index) + " (slots start at 1)");
  }
  if (index > kMaxSiteRecords) {
    throw OstrelError(err::kOverflow, "site slot " + std::to_string(index) +
                                          " (a password file holds at most 32765 sites)");
  }
}

}  // namespace

WebRecord::WebRecord(StoreContext& context) : mContext(context) {}
WebRecord::~WebRecord() = default;
WebRecord::WebRecord(WebRecord&&) noexcept = default;

const FormInfo& WebRecord::Form() const {
  if (!mForm) throw OstrelError(err::kObjectRequired, "the site record has no form");
  return *mForm;
}

FormInfo& WebRecord::Form() {
  if (!mForm) throw OstrelError(err::kObjectRequired, "the site record has no form");
  return *mForm;
}

const ControlInfo& WebRecord::Control(int16_t Index) const {
  if (Index < 1 || Index > ControlsCount()) {
    throw OstrelError(err::kSubscript, "control " + std::to_string(Index) + " of " +
                                           std::to_string(ControlsCount()));
  }
  return mControls[static_cast<size_t>(Index - 1)];
}

ControlInfo& WebRecord::Control(int16_t Index) {
  return const_cast<ControlInfo&>(std::as_const(*this).Control(Index));
}

void WebRecord::FileOpen() {
  ForgetReadAhead();
  mFile.reset();
  mFile = std::make_unique<PasswordFile>(mContext, PasswordFile::Access::kRead);
}

void WebRecord::FileClose() {
  ForgetReadAhead();
  mFile.reset();
}

PasswordFile& WebRecord::OpenFile() {
  if (!mFile) throw OstrelError(err::kBadFileName, "the password file is not open");
  return *mFile;
}

int16_t WebRecord::RecordCount() { return SiteSlots(mContext, OpenFile()).Count(); }

std::string_view WebRecord::ReadAhead(PasswordFile& file, int16_t Index) {
  CheckSlotNumber(Index);
  if (Index < mAheadFirst || Index >= mAheadFirst + mAheadCount) {
    if (!mAhead) {
      mAhead = std::make_unique_for_overwrite<char[]>(kReadAheadSlots * kSiteSlotSize);
    }
    mAheadCount = 0;
    const int32_t count = std::min<int32_t>(kReadAheadSlots, kMaxSiteRecords - Index + 1);
    file.Read(SiteSlots::OffsetOf(Index), int64_t{count} * kSiteSlotSize, mAhead.get());
    mAheadFirst = Index;
    mAheadCount = count;
  }
  return {mAhead.get() + static_cast<size_t>(Index - mAheadFirst) * kSiteSlotSize,
          static_cast<size_t>(kSiteSlotSize)};
}

bool WebRecord::Read(int16_t Index, int16_t intRequestedUserID, std::string& SiteName) {
  PasswordFile& file = OpenFile();
  std::string text = DecryptSlot(mContext, ReadAhead(file, Index), false, SiteSlots::OffsetOf(Index));
  int16_t pos = 1;
  if (UnpackInteger(pos, text) != intRequestedUserID) return false;
  UnpackInteger(pos, text);
  SiteName = UnpackString(pos, text);
  return true;
}

std::vector<ListedSite> WebRecord::ListSites(int16_t owner) {
  PasswordFile file(mContext, PasswordFile::Access::kRead);
  SiteSlots slots(mContext, file);
  return slots.List(owner, slots.Count());
}

void WebRecord::CheckSite(const ListedSite& listed) {
  CheckSlotNumber(listed.Slot);
  PasswordFile file(mContext, PasswordFile::Access::kRead);
  SiteSlots slots(mContext, file);
  slots.CheckHolds(listed, slots.Count());
}

void WebRecord::RetrieveChecked(int16_t Index, const ListedSite* listed) {
  CheckSlotNumber(Index);
  std::string text;
  {
    PasswordFile file(mContext, PasswordFile::Access::kRead);
    SiteSlots slots(mContext, file);
    if (listed) slots.CheckHolds(*listed, slots.Count());
    text = slots.Text(Index);
  }
  Unpack(text);
}

void WebRecord::Retrieve(int16_t Index) { RetrieveChecked(Index, mContext.ExpectedSite(Index)); }

void WebRecord::Retrieve(const ListedSite& listed) { RetrieveChecked(listed.Slot, &listed); }

void WebRecord::SaveChecked(int16_t intUserID, int16_t& intIndex, const ListedSite* listed) {
  ForgetReadAhead();
  if (intIndex != -1) CheckSlotNumber(intIndex);
  std::string slot = Pack(intUserID);
  // Sealed for its slot once that is known (a protected file binds it).
  const bool bound = mContext.Protected();
  if (!bound) EncryptBlock(mContext, slot, kSiteSlotSize, false);

  PasswordFile file(mContext, PasswordFile::Access::kWrite);
  SiteSlots slots(mContext, file);
  const int16_t count = slots.Count();
  int32_t index = intIndex;
  if (index == -1) {
    if (count >= kMaxSiteRecords) {
      throw OstrelError(err::kOverflow, "the password file holds 32765 sites",
                        "The password file is full: it holds 32,765 sites, the most it can, so "
                        "nothing was saved. Delete a site you no longer need to make room.");
    }
    index = count + 1;
  } else if (index > count + 1) {
    throw OstrelError(err::kBadRecordNumber,
                      "site slot " + std::to_string(index) + " lies past the last record (" +
                          std::to_string(count) + ")");
  }
  if (listed) slots.CheckHolds(*listed, count);
  if (bound) EncryptBlock(mContext, slot, kSiteSlotSize, false, SiteSlots::OffsetOf(index));
  FileChange::Replace(file, SiteSlots::OffsetOf(index), slot, kSiteSlotSize, std::max<int32_t>(count, index));
  intIndex = static_cast<int16_t>(index);
}

void WebRecord::Save(int16_t intUserID, int16_t& intIndex) {
  SaveChecked(intUserID, intIndex, intIndex == -1 ? nullptr : mContext.ExpectedSite(intIndex));
}

void WebRecord::Save(int16_t intUserID, const ListedSite& listed) {
  int16_t index = listed.Slot;
  SaveChecked(intUserID, index, &listed);
}

namespace {

// Removes the slots of `removal` from the `count` occupied ones as one
// change.
void Remove(SiteSlots& slots, PasswordFile& file, const SiteSlots::Removal& removal, int16_t count) {
  if (removal.first == 0) return;
  FileChange change(file, count - removal.Count());
  slots.Keep(change, removal);
  change.Commit();
  slots.Move(change, removal);
  change.Finish();
}

}  // namespace

void WebRecord::Delete(int16_t Index, int16_t UserID) {
  OpenFile();
  ForgetReadAhead();
  PasswordFile file(mContext, PasswordFile::Access::kWrite);
  SiteSlots slots(mContext, file);
  if (Index < 1) return;
  const int16_t last = slots.Count();
  if (Index > last) return;
  if (UserID != -1) {
    const std::string text = slots.Text(Index);
    int16_t pos = 1;
    if (UnpackInteger(pos, text) != UserID) return;
  }
  Remove(slots, file, SiteSlots::One(Index, last), last);
}

void WebRecord::DeleteSite(const ListedSite& listed) {
  CheckSlotNumber(listed.Slot);
  ForgetReadAhead();
  PasswordFile file(mContext, PasswordFile::Access::kWrite);
  SiteSlots slots(mContext, file);
  const int16_t last = slots.Count();
  slots.CheckHolds(listed, last);
  Remove(slots, file, SiteSlots::One(listed.Slot, last), last);
}

int32_t WebRecord::DeleteSitesOf(int16_t owner) {
  ForgetReadAhead();
  PasswordFile file(mContext, PasswordFile::Access::kWrite);
  SiteSlots slots(mContext, file);
  const int16_t count = slots.Count();
  const SiteSlots::Removal removal = slots.OwnedBy(owner, count);
  Remove(slots, file, removal, count);
  return removal.Count();
}

}  // namespace ostrel
