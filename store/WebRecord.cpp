#include "store/WebRecord.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "store/Blocks.h"
#include "store/Codec.h"
#include "store/SlotLimits.h"
#include "store/SlotWriter.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

namespace {

// Site slot Index is 2048-byte record Index + 2.
int32_t RecordOf(int32_t index) {
  if (index < 1) {
    throw OstrelError(err::kBadRecordNumber,
                      "site slot " + std::to_string(index) + " (slots start at 1)");
  }
  if (index > kMaxSiteRecords) {
    throw OstrelError(err::kOverflow, "site slot " + std::to_string(index) +
                                          " (a password file holds at most 32765 sites)");
  }
  return index + 2;
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
  mFile = mContext.Files().Open(mContext.PasswordFileName, kSiteSlotSize);
}

void WebRecord::FileClose() {
  ForgetReadAhead();
  mFile.reset();
}

IRecordFile& WebRecord::OpenFile() {
  if (!mFile) throw OstrelError(err::kBadFileName, "the password file is not open");
  return *mFile;
}

std::string WebRecord::ReadSiteSlot(IRecordFile& file, int16_t Index) {
  mSlotBuffer.resize(kSiteSlotSize);
  file.Read(RecordOf(Index), 1, mSlotBuffer.data());
  return DecryptSlot(mContext, mSlotBuffer, false);
}

// n = length / 2048 - 2, rounded to the nearest integer with halves to even,
// then the first occupied slot from n down.
int16_t WebRecord::CountRecords(IRecordFile& file) {
  const int64_t length = file.Length();
  int64_t slots = length / kSiteSlotSize;
  const int64_t rest = length % kSiteSlotSize;
  if (rest > kSiteSlotSize / 2 || (rest == kSiteSlotSize / 2 && slots % 2 == 1)) ++slots;
  const int64_t n = slots - 2;
  if (n > kMaxSiteRecords) {
    throw OstrelError(err::kOverflow, "the password file is longer than 32765 site slots");
  }
  for (int32_t k = static_cast<int32_t>(n); k >= 1; --k) {
    if (!ReadSiteSlot(file, static_cast<int16_t>(k)).empty()) return static_cast<int16_t>(k);
  }
  return 0;
}

int16_t WebRecord::RecordCount() { return CountRecords(OpenFile()); }

std::string_view WebRecord::ReadAhead(IRecordFile& file, int16_t Index) {
  const int32_t record = RecordOf(Index);
  if (Index < mAheadFirst || Index >= mAheadFirst + mAheadCount) {
    if (!mAhead) {
      mAhead = std::make_unique_for_overwrite<char[]>(kReadAheadSlots * kSiteSlotSize);
    }
    mAheadCount = 0;
    const int32_t count = std::min<int32_t>(kReadAheadSlots, kMaxSiteRecords - Index + 1);
    file.Read(record, count, mAhead.get());
    mAheadFirst = Index;
    mAheadCount = count;
  }
  return {mAhead.get() + static_cast<size_t>(Index - mAheadFirst) * kSiteSlotSize,
          static_cast<size_t>(kSiteSlotSize)};
}

bool WebRecord::Read(int16_t Index, int16_t intRequestedUserID, std::string& SiteName) {
  IRecordFile& file = OpenFile();
  std::string text = DecryptSlot(mContext, ReadAhead(file, Index), false);
  int16_t pos = 1;
  if (UnpackInteger(pos, text) != intRequestedUserID) return false;
  UnpackInteger(pos, text);
  SiteName = UnpackString(pos, text);
  return true;
}

void WebRecord::Retrieve(int16_t Index) {
  std::string text;
  {
    auto file = mContext.Files().Open(mContext.PasswordFileName, kSiteSlotSize);
    text = ReadSiteSlot(*file, Index);
  }
  Unpack(text);
}

void WebRecord::Save(int16_t intUserID, int16_t& intIndex) {
  ForgetReadAhead();
  if (intIndex != -1) RecordOf(intIndex);
  std::string slot = Pack(intUserID);
  EncryptBlock(mContext, slot, kSiteSlotSize, false);

  auto file = mContext.Files().Open(mContext.PasswordFileName, kSiteSlotSize);
  const int16_t count = CountRecords(*file);
  int32_t index = intIndex;
  if (index == -1) {
    index = count + 1;
  } else if (index > count + 1) {
    throw OstrelError(err::kBadRecordNumber,
                      "site slot " + std::to_string(index) + " lies past the last record (" +
                          std::to_string(count) + ")");
  }
  WriteSlots(*file, RecordOf(index), slot);
  intIndex = static_cast<int16_t>(index);
}

// The slots from Index to the last are read raw in one go, with an
// encrypted empty record after them, and written back one slot lower in a
// single write, which is taken back if it fails.
void WebRecord::Delete(int16_t Index, int16_t UserID) {
  IRecordFile& file = OpenFile();
  ForgetReadAhead();
  if (Index < 1) return;
  const int16_t last = CountRecords(file);
  if (Index > last) return;
  if (UserID != -1) {
    std::string text = ReadSiteSlot(file, Index);
    int16_t pos = 1;
    if (UnpackInteger(pos, text) != UserID) return;
  }
  std::string empty;
  EncryptBlock(mContext, empty, kSiteSlotSize, false);
  const int32_t moved = last - Index + 1;
  const size_t movedBytes = static_cast<size_t>(moved) * kSiteSlotSize;
  auto slots = std::make_unique_for_overwrite<char[]>(movedBytes + kSiteSlotSize);
  file.Read(RecordOf(Index), moved, slots.get());
  std::copy(empty.begin(), empty.end(), slots.get() + movedBytes);
  const std::string_view all(slots.get(), movedBytes + kSiteSlotSize);
  WriteSlots(file, RecordOf(Index), all.substr(kSiteSlotSize), all.substr(0, movedBytes));
}

}  // namespace ostrel
