#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/RecordFile.h"
#include "store/ControlInfo.h"
#include "store/FormInfo.h"
#include "store/StoreContext.h"

namespace ostrel {

class WebPage;

// One site record in memory, and the site slots of the password file.
//
// Site slot k (1..32765) is 2048-byte record k + 2 (byte offset
// 4096 + (k - 1) * 2048), encrypted with context.DataCipher. Its packed
// record, in stored order:
//   owner user id (integer), reserved (integer 0), SiteName, URL (strings),
//   Form.FrameIndex (byte), Form.FrameURL (string), Form.Index (byte),
//   Form.ID, Form.Name, Form.Javascript (strings), N (byte), then N times:
//   Index (byte), ID (string), Name (string), CtlType (byte), Value (string).
// Occupied slots are 1..RecordCount without gaps; later slots are empty or
// past the end of the file; the file never gets shorter.
//
// RecordCount, Read and Delete need the file held open with FileOpen (and
// raise err::kBadFileName otherwise); Save and Retrieve open and close it
// themselves. Slot numbers below 1 raise err::kBadRecordNumber (63) and
// above 32765 err::kOverflow (6) before anything is read or written. A slot
// that cannot be decrypted raises err::kCorruptedFile.
class WebRecord {
 public:
  explicit WebRecord(StoreContext& context);
  ~WebRecord();
  WebRecord(WebRecord&&) noexcept;

  const std::string& SiteName() const { return mSiteName; }
  void SetSiteName(std::string value) { mSiteName = std::move(value); }
  const std::string& URL() const { return mURL; }
  void SetURL(std::string value) { mURL = std::move(value); }

  // The login form; absent on a new record until SetForm or Retrieve.
  bool HasForm() const { return mForm.has_value(); }
  // Raises err::kObjectRequired when absent.
  const FormInfo& Form() const;
  FormInfo& Form();
  void SetForm(FormInfo form) { mForm = std::move(form); }

  // Controls at positions 1..ControlsCount.
  int16_t ControlsCount() const { return static_cast<int16_t>(mControls.size()); }
  // Outside 1..ControlsCount raises err::kSubscript.
  const ControlInfo& Control(int16_t Index) const;
  ControlInfo& Control(int16_t Index);
  // Appends at position ControlsCount + 1.
  void AddControl(ControlInfo control) { mControls.push_back(std::move(control)); }
  void SetControls(std::vector<ControlInfo> controls) { mControls = std::move(controls); }

  // Builds the record from WebPage1 (captured when recording started) and
  // WebPage2 (captured as the page was left): SiteName, URL of WebPage1,
  // and the inputs whose value changed, with Form taken from the first
  // changed one (Javascript from WebPage2); positions and names come from
  // WebPage1, values from WebPage2. The captures pair by identity, in order
  // within each: a form by frame and name (and position when unnamed), an
  // input by tag, type code and name (id when unnamed). No change leaves no
  // Form and no controls (Save refuses such a record). err::kSubscript, with
  // an explanation for the person and the record untouched, when a text or
  // password input of WebPage1 has no partner in WebPage2, or one of
  // WebPage2 that holds text has none in WebPage1: the page changed its form
  // while the person logged in. Hidden inputs without a partner are left out.
  void CreateRecord(const std::string& strSiteName, const WebPage& WebPage1,
                    const WebPage& WebPage2);

  // The packed record for owner intUserID. Raises what packing raises
  // (a string over 255 bytes: err::kInvalidArgument; a byte field outside
  // 0..255 or a negative owner: err::kOverflow / err::kInvalidArgument);
  // no form or no controls: err::kInvalidArgument.
  std::string Pack(int16_t intUserID) const;
  // Its length in bytes, without checking the fields; a record fits its
  // slot when this is at most kMaxSiteRecordBytes (SlotLimits.h).
  int32_t PackedLength() const;

  // Writes the record with owner intUserID into slot intIndex (overwriting
  // it in place) or, when intIndex is -1, into slot RecordCount + 1 and sets
  // intIndex to that slot. The record is packed and encrypted before the
  // file is opened: one that does not fit raises err::kBadRecordLength and
  // nothing is written. intIndex other than -1 must be 1..RecordCount + 1
  // (err::kBadRecordNumber otherwise), so no gap is ever made. A failing
  // write is taken back and raised.
  void Save(int16_t intUserID, int16_t& intIndex);

  // Removes slot Index when UserID is -1 or owns it: slots Index+1..
  // RecordCount move down one (raw bytes) and the last becomes an empty
  // record, in one write that is taken back if it fails. Index outside
  // 1..RecordCount, or a record of another owner, changes nothing.
  void Delete(int16_t Index, int16_t UserID = -1);

  // Loads slot Index into this object (owner not checked). An empty slot
  // raises err::kInvalidArgument.
  void Retrieve(int16_t Index);

  // Holds the password file open (record length 2048) until FileClose or
  // destruction; opening creates the file when missing.
  void FileOpen();
  void FileClose();

  // The highest occupied slot: n = file length / 2048 - 2 rounded to the
  // nearest integer (halves to even), then the first non-empty slot from n
  // down; 0 when none.
  int16_t RecordCount();

  // When slot Index belongs to intRequestedUserID: sets SiteName (the out
  // argument) and returns true; otherwise returns false, SiteName as it was.
  // For the site list, Read fetches slots in runs of kReadAheadSlots with
  // one file read and serves the following slots from that run until the
  // next FileOpen, FileClose, Delete or Save of this object; writes made
  // through other objects while the file is held open may not be seen.
  bool Read(int16_t Index, int16_t intRequestedUserID, std::string& SiteName);

  static constexpr int32_t kReadAheadSlots = 32;

 private:
  IRecordFile& OpenFile();
  std::string ReadSiteSlot(IRecordFile& file, int16_t Index);
  std::string_view ReadAhead(IRecordFile& file, int16_t Index);
  void ForgetReadAhead() { mAheadCount = 0; }
  int16_t CountRecords(IRecordFile& file);
  void Unpack(const std::string& text);

  StoreContext& mContext;
  std::string mSiteName;
  std::string mURL;
  std::optional<FormInfo> mForm;
  std::vector<ControlInfo> mControls;
  std::unique_ptr<IRecordFile> mFile;
  std::string mSlotBuffer;
  std::unique_ptr<char[]> mAhead;  // kReadAheadSlots raw slots
  int32_t mAheadFirst = 0;         // slot number of the first of them
  int32_t mAheadCount = 0;         // how many are valid; 0 = none
};

}  // namespace ostrel
