#pragma once

#include <cstdint>
#include <string>

#include "platform/files/RecordFile.h"
#include "store/StoreContext.h"

namespace ostrel {

// Slot 15 of the 256-byte view (bytes 3584..3839), the header's reserved
// record, encrypted with context.HeaderCipher. Every change of the file
// writes it anew, and every encryption draws a fresh random nonce, so its
// bytes tell this state of the file from every earlier one: a journal names
// the mark before its change and the one its change writes (JournalHeader).
// Its record, packed:
//   sites + 1  (integer)       the highest occupied site slot once the change
//                              is made; 0 when unknown
//   journal    (short string)  the path of the change's journal, so that the
//                              file opened through another of its names
//                              (a hard link) finds it; empty when too long
//   seal       (short string)  protected files only: sites + 1 sealed under
//                              context.DataCipher (the data key) with the
//                              file identity and this slot's offset as
//                              associated data (Blocks.h), so a thief cannot
//                              change the count the store trusts
// Older programs leave an encrypted empty record here (and a file below
// header version 2 may hold anything): both fields are then unknown.
class ChangeMark {
 public:
  static constexpr int64_t kOffset = 14 * 256;
  static constexpr int32_t kBytes = 256;
  static constexpr int32_t kUnknownSites = -1;

  // The mark of `file` (opened with 256-byte records) as it is now; a mark
  // that cannot be read gives unknown fields. In a protected file `sites`
  // is the sealed count, unknown when the seal does not open (or
  // context.DataCipher holds no key).
  static ChangeMark Read(StoreContext& context, IRecordFile& file);

  // The slot image of a new mark: exactly kBytes bytes. A journal path
  // that does not fit is left out. Raises what encryption raises; in a
  // protected file an unknown count raises err::kCorruptedFile.
  static std::string Image(StoreContext& context, int32_t sites, const std::string& journal);

  int32_t sites = kUnknownSites;
  std::string journal;
  // The count as the mark states it in the clear, and whether it carries a
  // seal (for checking a protected file without its key).
  int32_t stated = kUnknownSites;
  bool sealed = false;
};

}  // namespace ostrel
