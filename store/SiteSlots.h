#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "store/ListedSite.h"
#include "store/FileChange.h"
#include "store/PasswordFile.h"
#include "store/StoreContext.h"

namespace ostrel {

// The site slots of a held password file, read and moved in runs of slots
// (never more than a few MiB in memory). Site slot k (1..32765) is the
// 2048-byte record k + 2, at byte 4096 + (k - 1) * 2048.
class SiteSlots {
 public:
  static constexpr int32_t kRunSlots = 256;  // slots read or written at once

  SiteSlots(StoreContext& context, PasswordFile& file) : mContext(context), mFile(file) {}

  static int64_t OffsetOf(int32_t slot);

  // The highest occupied slot, 0 when none: n = file length / 2048 - 2
  // rounded to the nearest integer (halves to even), then the first slot
  // from n down whose record is not empty, reading the slots in runs from
  // the end. More than 32765 slots raise err::kOverflow. The count that the
  // last change left in the file's change mark (ChangeMark) is taken at
  // once when its slot is occupied and the next one empty (or past n):
  // occupied slots have no gaps, so that is the count whoever changed the
  // file since; otherwise the slots are read as above. A protected file's
  // count is the one sealed in its mark, always: err::kCorruptedFile when
  // that cannot be verified or the file ends before it.
  int16_t Count();

  // The decrypted text of one slot (err::kCorruptedFile when it cannot be).
  std::string Text(int32_t slot);

  // Raises err::kRecordChanged, with a plain explanation, unless `site`'s
  // slot lies within 1..count and holds a record of its owner and name.
  void CheckHolds(const ListedSite& site, int16_t count);

  // Slots 1..count in order, in runs: calls visit(slot, raw slot image).
  void ForEach(int32_t first, int32_t last,
               const std::function<void(int32_t, std::string_view)>& visit);

  // The sites of `owner` in 1..count, in slot order; empty slots inside
  // the records are passed over.
  std::vector<ListedSite> List(int16_t owner, int16_t count);

  // Which slots of first..last go: remove[slot - first].
  struct Removal {
    int32_t first = 0;
    int32_t last = 0;
    std::vector<bool> remove;
    int32_t Count() const;
  };
  // Every slot of owner in 1..count, and every empty slot among them (so
  // that gaps an older program left close up too).
  Removal OwnedBy(int16_t owner, int16_t count);
  static Removal One(int32_t slot, int16_t count);

  // Keeps the old bytes of removal.first..removal.last in the change's
  // journal, then (after Commit) moves the slots that stay down over the
  // removed ones, keeping their order, and writes an empty record into
  // each slot freed at the end. The file keeps its length.
  void Keep(FileChange& change, const Removal& removal);
  void Move(FileChange& change, const Removal& removal);

 private:
  // Whether slot `slot` holds a record (or, with `record` false, holds the
  // empty record); false when it cannot be read.
  bool Holds(int32_t slot, bool record);
  static int16_t SealedCount(int32_t sealed, int64_t slots);

  StoreContext& mContext;
  PasswordFile& mFile;
};

// The explanation for err::kRecordChanged on a site.
extern const char kSiteChangedExplanation[];

}  // namespace ostrel
