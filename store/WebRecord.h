#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/ControlInfo.h"
#include "store/FormInfo.h"
#include "store/LoginStep.h"
#include "store/ListedSite.h"
#include "store/PasswordFile.h"
#include "store/RecordWriter.h"
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
// Every operation holds the file locked (see PasswordFile): reads shared,
// changes exclusive, for the whole operation, and every change is
// journaled, so a crash leaves the file as it was before or after it.
// RecordCount, Read and Delete need the file held open with FileOpen (and
// raise err::kBadFileName otherwise); the other members open and close it
// themselves. Slot numbers below 1 raise err::kBadRecordNumber (63) and
// above 32765 err::kOverflow (6) before anything is read or written. A slot
// that cannot be decrypted raises err::kCorruptedFile. The members given a
// ListedSite (and Retrieve and in-place Save of a slot the context expects,
// see StoreContext::ExpectSite) raise err::kRecordChanged, before anything
// is read out or written, when the slot no longer holds that site.
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

  // A login in several steps: step 1 is URL, Form and the controls above
  // with Extra(); the further steps follow in MoreSteps(). A record of one
  // step as records always were has a default Extra() and no more steps.
  const StepExtra& Extra() const { return mExtra; }
  StepExtra& Extra() { return mExtra; }
  const std::vector<LoginStep>& MoreSteps() const { return mMoreSteps; }
  std::vector<LoginStep>& MoreSteps() { return mMoreSteps; }
  int16_t StepCount() const { return static_cast<int16_t>(1 + mMoreSteps.size()); }
  // Step k (1-based), step 1 made from the record's own fields; outside
  // 1..StepCount raises err::kSubscript.
  LoginStep Step(int16_t k) const;
  // The first control of this type code over all steps, in order; nullptr
  // when there is none.
  ControlInfo* FirstControlOfType(int32_t ctl_type);

  // Builds the record from WebPage1 (captured when recording started) and
  // WebPage2 (captured as the login was sent): SiteName, URL of WebPage1,
  // and the inputs whose value changed in one form (or group of inputs
  // outside any form): the one that got a password, else the first changed
  // (Javascript from WebPage2); Extra() says whether it is a group, and
  // there are no further steps. The captures pair by identity, in order
  // within each: a form by frame and name (and position when unnamed), a
  // group by frame, an input by tag, type code and name (id when unnamed).
  // In a form of both captures, positions and names come from WebPage1 and
  // values from WebPage2; in a form that came after recording started, and
  // in a group (which pages rebuild as they please), from WebPage2: the
  // text and password inputs holding text that was not there before. No
  // change leaves no Form and no controls (Save refuses such a record).
  // err::kSubscript, with an explanation for the person and the record
  // untouched, when in a form of both captures a text or password input of
  // WebPage1 has no partner in WebPage2, or one of WebPage2 that holds text
  // has none in WebPage1: the page changed its form while the person logged
  // in. A form that went away is not the login's.
  void CreateRecord(const std::string& strSiteName, const WebPage& WebPage1,
                    const WebPage& WebPage2);

  // The packed record for owner intUserID. Raises what packing raises
  // (a string over 255 bytes: err::kInvalidArgument; a byte field outside
  // 0..255 or a negative owner: err::kOverflow / err::kInvalidArgument),
  // with an explanation naming the field; no form or no controls, or more
  // than kMaxLoginSteps steps: err::kInvalidArgument; longer than
  // kMaxSiteRecordBytes: err::kBadRecordLength naming the longest fields.
  //
  // A record with a default Extra() and no more steps is packed as records
  // always were, with the reserved integer 0. Any other has the reserved
  // integer 1 and, after the controls, the extension:
  //   version (byte 1), Extra of step 1, the number of further steps
  //   (byte), then each further step: URL (string), Form.FrameIndex (byte),
  //   Form.FrameURL (string), Form.Index (byte), Form.ID, Form.Name,
  //   Form.Javascript (strings), N (byte), N controls as above, its Extra.
  //   An Extra is: flags (byte, 1 = group), send kind (byte), Pressed,
  //   Origin, SentTo (strings), the number of reveal clicks (byte) and
  //   each: FrameIndex (byte), FrameURL, Target (strings); then whether
  //   there are paths (byte 0 or 1) and, when 1, one path (string) per
  //   control of its step.
  std::string Pack(int16_t intUserID) const;
  // Fills the record from a packed record (the text of a slot), fields in
  // stored order; raises what unpacking raises when the text is cut short
  // or malformed, leaving the record as it was. A reserved integer other
  // than 0 and 1 (a record of a later version) raises err::kInvalidArgument.
  void Unpack(const std::string& text);
  // Its packed length in bytes, without its size checked; a record fits its
  // slot when this is at most kMaxSiteRecordBytes (SlotLimits.h). INT32_MAX
  // when a field cannot be packed at all.
  int32_t PackedLength() const;

  // Writes the record with owner intUserID into slot intIndex (overwriting
  // it in place) or, when intIndex is -1, into slot RecordCount + 1 and sets
  // intIndex to that slot; a file that holds 32765 sites already is full
  // (err::kOverflow, explained). The record is packed and encrypted before the
  // file is opened: one that does not fit raises err::kBadRecordLength and
  // nothing is written. intIndex other than -1 must be 1..RecordCount + 1
  // (err::kBadRecordNumber otherwise), so no gap is ever made. A failing
  // write is taken back and raised.
  void Save(int16_t intUserID, int16_t& intIndex);
  // The in-place save of the site `listed` (rename, new password,
  // re-record): written only while its slot still holds it.
  void Save(int16_t intUserID, const ListedSite& listed);

  // Removes slot Index when UserID is -1 or owns it: slots Index+1..
  // RecordCount move down one (raw bytes) and the last becomes an empty
  // record, all as one change. Index outside 1..RecordCount, or a record of
  // another owner, changes nothing. Takes the exclusive lock (a FileOpen
  // hold is exchanged for it).
  void Delete(int16_t Index, int16_t UserID = -1);

  // Deletes the site `listed` as Delete does, while its slot still holds
  // it. Opens and closes the file itself.
  void DeleteSite(const ListedSite& listed);

  // Deletes every record of `owner` in one pass over the file, as one
  // change: the others keep their order and move down, the slots freed at
  // the end become empty records. Empty slots among the records (which an
  // older program could leave) are closed up as well. Returns how many
  // slots went. Opens and closes the file itself.
  int32_t DeleteSitesOf(int16_t owner);

  // Loads slot Index into this object (owner not checked). An empty slot
  // raises err::kInvalidArgument.
  void Retrieve(int16_t Index);
  // Loads the site `listed` while its slot still holds it.
  void Retrieve(const ListedSite& listed);

  // Raises err::kRecordChanged unless the slot of `listed` still holds it.
  void CheckSite(const ListedSite& listed);

  // The sites of `owner` in slot order, read in one pass with one shared
  // lock; empty slots among the records are passed over.
  std::vector<ListedSite> ListSites(int16_t owner);

  // Holds the password file open and shared-locked (see PasswordFile)
  // until FileClose or destruction; opening creates the file when missing.
  void FileOpen();
  void FileClose();

  // The highest occupied slot: n = file length / 2048 - 2 rounded to the
  // nearest integer (halves to even), then the first non-empty slot from n
  // down (read from the end in runs of slots); 0 when none.
  int16_t RecordCount();

  // When slot Index belongs to intRequestedUserID: sets SiteName (the out
  // argument) and returns true; otherwise returns false, SiteName as it was.
  // For the site list, Read fetches slots in runs of kReadAheadSlots with
  // one file read and serves the following slots from that run until the
  // next FileOpen, FileClose, Delete or Save of this object; writes made
  // through other objects while the file is held open may not be seen.
  bool Read(int16_t Index, int16_t intRequestedUserID, std::string& SiteName);

  static constexpr int32_t kReadAheadSlots = 64;

 private:
  RecordWriter Write(int16_t intUserID) const;
  PasswordFile& OpenFile();
  std::string_view ReadAhead(PasswordFile& file, int16_t Index);
  void ForgetReadAhead() { mAheadCount = 0; }
  void SaveChecked(int16_t intUserID, int16_t& intIndex, const ListedSite* listed);
  void RetrieveChecked(int16_t Index, const ListedSite* listed);

  StoreContext& mContext;
  std::string mSiteName;
  std::string mURL;
  std::optional<FormInfo> mForm;
  std::vector<ControlInfo> mControls;
  StepExtra mExtra;
  std::vector<LoginStep> mMoreSteps;
  std::unique_ptr<PasswordFile> mFile;
  std::unique_ptr<char[]> mAhead;  // kReadAheadSlots raw slots
  int32_t mAheadFirst = 0;         // slot number of the first of them
  int32_t mAheadCount = 0;         // how many are valid; 0 = none
};

}  // namespace ostrel
