#include "store/FileCheck.h"

#include <algorithm>

#include "platform/cipher/Base64.h"
#include "platform/cipher/EncryptedData.h"
#include "platform/cipher/KeyWrap.h"
#include "store/Blocks.h"
#include "store/BuiltInKey.h"
#include "store/ChangeMark.h"
#include "store/Codec.h"
#include "store/FileInfo.h"
#include "store/Journal.h"
#include "store/SlotLimits.h"
#include "store/WebRecord.h"
#include "support/OstrelError.h"

namespace ostrel {

namespace {

constexpr int32_t kReservedSlot = 15;
constexpr int32_t kHeaderSlot = 16;
constexpr int64_t kSitesStart = 16 * kUserSlotSize;
constexpr int32_t kRunSlots = 256;

const char kUnreadable[] = "cannot be decrypted (damaged, or not written with this file's key)";

std::string Count(size_t n, const char* what) {
  return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

std::string Slot(int32_t n, const char* kind) { return std::string(kind) + " slot " + std::to_string(n); }

// The plaintext of a slot image; false when it cannot be decrypted.
bool Decrypt(StoreContext& context, std::string_view image, bool header, std::string& text,
             int64_t offset = kUnbound) {
  try {
    text = DecryptSlot(context, image, header, offset);
    return true;
  } catch (const OstrelError&) {
    return false;
  }
}

bool AllNul(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == '\0'; });
}

// Whether a slot image has the form of an encrypted record (Base64 of a
// nonce, text and tag, NUL-padded), for slots that cannot be opened.
bool LooksSealed(std::string_view image) {
  const size_t end = std::min(image.find('\0'), image.size());
  if (end < static_cast<size_t>(EncryptedData::TextLength(0)) || !AllNul(image.substr(end))) return false;
  std::vector<unsigned char> sealed(end / 4 * 3);
  return DecodeBase64(image.substr(0, end), sealed.data()) >= EncryptedData::kNonceBytes + EncryptedData::kTagBytes;
}

// Whether a wrap has its size and limits in range.
bool WrapWhole(const std::string& wrap) {
  try {
    KeyWrap::Limits(wrap);
    return true;
  } catch (const OstrelError&) {
    return false;
  }
}

}  // namespace

FileCheck::Result FileCheck::Run(const std::string& path, const std::optional<std::string>& recoveryKey) {
  Result result;
  mUnknownUser = false;
  mContext.FileIdentity.clear();
  auto file = mContext.Files().OpenForReading(path, kUserSlotSize, Links::kFollow);
  file->Lock(FileLock::kShared);
  mContext.HeaderCipher.SetSecret(BuildBuiltInKey());
  const Journal journal = Journal::Find(mContext, JournalPath(mContext.Files().RealPath(path)), *file);
  switch (journal.Found()) {
    case Journal::State::kOther:
    case Journal::State::kUnproven:
      throw journal.Error();
    case Journal::State::kDamaged:
      result.problems.push_back("the journal " + journal.Path() +
                                " is damaged: a change was cut off and cannot be undone (keep "
                                "both files as they are)");
      break;
    case Journal::State::kUnfinished:
      result.problems.push_back(
          "a change that did not finish is recorded in " + journal.Path() +
          ": Ostrel will undo it the next time it opens the file (this check reads the file as "
          "it is)");
      break;
    case Journal::State::kNone:
    case Journal::State::kNotBegun:
      break;
  }
  const int64_t length = file->Length();
  if (length == 0) {
    result.summary = "empty: no header yet (Ostrel sets it up when it first opens the file)";
    return result;
  }
  const Header header = CheckHeader(*file, length, result);
  if (!header.readable) {
    result.summary = "the header cannot be read, so the user and site slots were not checked";
    return result;
  }
  if (header.isProtected) result.contentsChecked = OpenRecovery(header, recoveryKey, result);
  const std::vector<int16_t> users = CheckUsers(*file, header, result);
  const int64_t siteSlots = length > kSitesStart ? (length - kSitesStart) / kSiteSlotSize : 0;
  if (siteSlots > kMaxSiteRecords) {
    result.problems.push_back("the file holds " + std::to_string(siteSlots) + " site slots, more than " +
                              std::to_string(kMaxSiteRecords));
  }
  const int32_t slots = header.isProtected ? CountedSlots(*file, length, result)
                                           : static_cast<int32_t>(std::min<int64_t>(siteSlots, kMaxSiteRecords));
  const int32_t sites = CheckSites(*file, slots, users, result);
  result.summary = "header version " + std::to_string(header.version) + ", " +
                   Count(users.size(), "user") + ", " + Count(static_cast<size_t>(sites), "site") +
                   " in " + Count(static_cast<size_t>(siteSlots), "site slot");
  if (header.isProtected) {
    result.summary = "protected with each person's password, " + result.summary +
                     (result.contentsChecked ? ""
                                             : std::string("; the contents were not checked") +
                                                   (recoveryKey ? "" : " (no key was given)"));
  }
  if (journal.Found() == Journal::State::kNotBegun) {
    result.summary += "; a journal cut off before its change began lies next to the file "
                      "(Ostrel removes it)";
  }
  return result;
}

FileCheck::Header FileCheck::CheckHeader(IRecordFile& file, int64_t length, Result& result) {
  Header header;
  if (length < kSitesStart) {
    result.problems.push_back("the file is " + std::to_string(length) +
                              " bytes long, shorter than its header (" +
                              std::to_string(kSitesStart) + " bytes)");
    return header;
  }
  if ((length - kSitesStart) % kSiteSlotSize != 0) {
    result.problems.push_back("the file is " + std::to_string(length) +
                              " bytes long, which is not a whole number of slots");
  }
  std::string slots(2 * kUserSlotSize, '\0');
  file.Read(kReservedSlot, 2, slots.data());
  std::string text;
  if (!Decrypt(mContext, std::string_view(slots).substr(kUserSlotSize), true, text)) {
    result.problems.push_back("header (slot 16): " + std::string(kUnreadable));
    return header;
  }
  try {
    int16_t pos = 1;
    header.lastUserID = UnpackInteger(pos, text);
    header.version = UnpackByte(pos, text);
    header.key = UnpackString(pos, text);
    header.isProtected = header.version >= FileInfo::kProtectedVersion;
    if (header.isProtected) {
      mContext.FileIdentity = UnpackString(pos, text);
      header.recovery = UnpackString(pos, text);
    }
  } catch (const OstrelError&) {
    result.problems.push_back("header (slot 16): its record is cut short");
    return header;
  }
  if (header.isProtected) {
    if (mContext.FileIdentity.empty()) {
      result.problems.push_back("header (slot 16): holds no file identity");
      return header;
    }
    if (!WrapWhole(header.recovery)) result.problems.push_back("header (slot 16): its recovery wrap is damaged");
  } else if (header.key.empty()) {
    result.problems.push_back("header (slot 16): holds no encryption key");
    return header;
  }
  // Below version 2 slot 15 is never read: it may hold anything.
  if (header.version >= 2 &&
      !Decrypt(mContext, std::string_view(slots).substr(0, kUserSlotSize), true, text)) {
    result.problems.push_back("reserved header slot 15: " + std::string(kUnreadable));
  }
  if (!header.isProtected) mContext.DataCipher.SetSecret(header.key);
  header.readable = true;
  return header;
}

bool FileCheck::OpenRecovery(const Header& header, const std::optional<std::string>& key, Result& result) {
  if (!key) return false;
  SecretKey dataKey;
  try {
    if (KeyWrap::Unwrap(header.recovery, *key, dataKey)) {
      mContext.DataCipher.SetKey(dataKey);
      return true;
    }
  } catch (const OstrelError&) {
    return false;  // told as a damaged wrap already
  }
  result.problems.push_back("the key given is not this file's encryption key, so the contents were not checked");
  return false;
}

int32_t FileCheck::CountedSlots(IRecordFile& file, int64_t length, Result& result) {
  const ChangeMark mark = ChangeMark::Read(mContext, file);
  if (!mark.sealed) {
    result.problems.push_back("reserved header slot 15: holds no sealed site count");
    return 0;
  }
  int32_t count = mark.stated;
  if (mContext.DataCipher.HasKey()) {
    if (mark.sites != mark.stated) {
      result.problems.push_back("reserved header slot 15: its site count does not agree with its seal (changed "
                                "or damaged)");
    }
    if (mark.sites >= 0) count = mark.sites;
  }
  const int64_t inFile = length > kSitesStart ? (length - kSitesStart) / kSiteSlotSize : 0;
  if (count > inFile) {
    result.problems.push_back("the file ends after site slot " + std::to_string(inFile) + ", but the header counts " +
                              Count(static_cast<size_t>(count), "site slot") + " (the file was cut short)");
    count = static_cast<int32_t>(inFile);
  }
  return std::max(count, 0);
}

std::vector<int16_t> FileCheck::CheckUsers(IRecordFile& file, const Header& header,
                                           Result& result) {
  std::string slots(static_cast<size_t>(kMaxUsers) * kUserSlotSize, '\0');
  file.Read(1, kMaxUsers, slots.data());
  std::vector<int16_t> ids;
  bool ended = false;
  for (int32_t i = 1; i <= kMaxUsers; ++i) {
    const std::string_view image = std::string_view(slots).substr((i - 1) * kUserSlotSize, kUserSlotSize);
    std::string text;
    if (AllNul(image)) {
      ended = true;
      continue;
    }
    if (!Decrypt(mContext, image, header.isProtected, text, int64_t{i - 1} * kUserSlotSize)) {
      // Whose it was is unknown: the sites of no listed user may be its.
      result.problems.push_back(Slot(i, "user") + ": " + kUnreadable);
      mUnknownUser = true;
      continue;
    }
    if (text.empty()) {
      ended = true;
      continue;
    }
    int16_t id = 0;
    std::string name;
    try {
      int16_t pos = 1;
      id = UnpackInteger(pos, text);
      name = UnpackString(pos, text);
      const std::string secret = UnpackString(pos, text);
      if (header.isProtected && !name.empty() && !WrapWhole(secret)) {
        result.problems.push_back(Slot(i, "user") + ": the key wrap of user \"" + name + "\" is damaged");
      }
    } catch (const OstrelError&) {
      result.problems.push_back(Slot(i, "user") + ": its record is cut short");
      mUnknownUser = true;
      continue;
    }
    if (ended || name.empty()) {
      if (!name.empty()) {
        result.problems.push_back(Slot(i, "user") + ": user \"" + name +
                                  "\" lies after the end of the table, so no one sees it");
      }
      ended = true;
      continue;
    }
    if (std::find(ids.begin(), ids.end(), id) != ids.end()) {
      result.problems.push_back(Slot(i, "user") + ": user id " + std::to_string(id) +
                                " is used by an earlier user as well");
    } else if (id > header.lastUserID) {
      result.problems.push_back(Slot(i, "user") + ": user id " + std::to_string(id) +
                                " is above the header's last user id " +
                                std::to_string(header.lastUserID) +
                                " (a new user would get an id in use)");
    }
    ids.push_back(id);
  }
  return ids;
}

int32_t FileCheck::CheckSites(IRecordFile& file, int32_t slots, const std::vector<int16_t>& users,
                              Result& result) {
  const bool opened = !mContext.Protected() || mContext.DataCipher.HasKey();
  WebRecord record(mContext);
  int32_t sites = 0;
  int32_t firstEmpty = 0;  // the first empty slot of a run of them
  std::vector<char> run;
  for (int32_t bottom = 1; bottom <= slots; bottom += kRunSlots) {
    const int32_t top = std::min(slots, bottom + kRunSlots - 1);
    run.resize(static_cast<size_t>(top - bottom + 1) * kSiteSlotSize);
    file.Read(static_cast<int32_t>((kSitesStart + int64_t{bottom - 1} * kSiteSlotSize) / kUserSlotSize + 1),
              static_cast<int32_t>(run.size() / kUserSlotSize), run.data());
    for (int32_t k = bottom; k <= top; ++k) {
      const std::string_view image(run.data() + static_cast<size_t>(k - bottom) * kSiteSlotSize,
                                   kSiteSlotSize);
      std::string text;
      if (!opened) {
        if (!LooksSealed(image)) result.problems.push_back(Slot(k, "site") + ": holds no encrypted record");
        ++sites;
        continue;
      }
      if (!Decrypt(mContext, image, false, text, kSitesStart + int64_t{k - 1} * kSiteSlotSize)) {
        result.problems.push_back(Slot(k, "site") + ": " + kUnreadable);
        firstEmpty = 0;
        continue;
      }
      if (text.empty()) {
        if (firstEmpty == 0) firstEmpty = k;
        continue;
      }
      if (firstEmpty != 0) {
        result.problems.push_back(Slot(firstEmpty, "site") +
                                  (k - 1 > firstEmpty ? " to " + std::to_string(k - 1) : "") +
                                  ": empty, but records follow (the records must have no gaps)");
        firstEmpty = 0;
      }
      try {
        record.Unpack(text);
      } catch (const OstrelError&) {
        result.problems.push_back(Slot(k, "site") + ": its record is cut short or malformed");
        continue;
      }
      int16_t pos = 1;
      const int16_t owner = UnpackInteger(pos, text);
      if (!mUnknownUser && std::find(users.begin(), users.end(), owner) == users.end()) {
        result.problems.push_back(Slot(k, "site") + ": \"" + record.SiteName() +
                                  "\" belongs to user id " + std::to_string(owner) +
                                  ", who is not in the user table, so no one sees it");
      }
      ++sites;
    }
  }
  return sites;
}

}  // namespace ostrel
