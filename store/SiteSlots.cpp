#include "store/SiteSlots.h"

#include <algorithm>

#include "store/Blocks.h"
#include "store/ChangeMark.h"
#include "store/Codec.h"
#include "store/SlotLimits.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

const char kSiteChangedExplanation[] =
    "This site was changed, moved or deleted by another Ostrel window or program in the "
    "meantime, so nothing was done; please choose it again from the list.";

namespace {

constexpr int64_t kFirstSiteOffset = 2 * kSiteSlotSize;

OstrelError Changed(const ListedSite& site, const std::string& what) {
  return OstrelError(err::kRecordChanged,
                     "site slot " + std::to_string(site.Slot) + " " + what + " (listed: \"" +
                         site.Name + "\" of user id " + std::to_string(site.Owner) + ")",
                     kSiteChangedExplanation);
}

}  // namespace

int64_t SiteSlots::OffsetOf(int32_t slot) {
  return kFirstSiteOffset + static_cast<int64_t>(slot - 1) * kSiteSlotSize;
}

int32_t SiteSlots::Removal::Count() const {
  return static_cast<int32_t>(std::count(remove.begin(), remove.end(), true));
}

int16_t SiteSlots::Count() {
  const int64_t length = mFile.Length();
  int64_t slots = length / kSiteSlotSize;
  const int64_t rest = length % kSiteSlotSize;
  if (rest > kSiteSlotSize / 2 || (rest == kSiteSlotSize / 2 && slots % 2 == 1)) ++slots;
  const int64_t n = slots - 2;
  if (n > kMaxSiteRecords) {
    throw OstrelError(err::kOverflow, "the password file is longer than 32765 site slots");
  }
  const int32_t kept = ChangeMark::Read(mContext, mFile.File()).sites;
  if (mContext.Protected()) return SealedCount(kept, n);
  if (kept >= 0 && kept <= n && (kept == 0 || Holds(kept, true)) && (kept == n || Holds(kept + 1, false))) {
    return static_cast<int16_t>(kept);
  }
  // The last slot is usually occupied: the runs start small and grow.
  std::vector<char> run;
  int32_t size = 4;
  for (int32_t top = static_cast<int32_t>(n); top >= 1; top -= size, size = std::min(2 * size, kRunSlots)) {
    const int32_t bottom = std::max(1, top - size + 1);
    run.resize(static_cast<size_t>(top - bottom + 1) * kSiteSlotSize);
    mFile.Read(OffsetOf(bottom), static_cast<int64_t>(run.size()), run.data());
    for (int32_t k = top; k >= bottom; --k) {
      const std::string_view image(run.data() + static_cast<size_t>(k - bottom) * kSiteSlotSize,
                                   kSiteSlotSize);
      if (!DecryptSlot(mContext, image, false, OffsetOf(k)).empty()) return static_cast<int16_t>(k);
    }
  }
  return 0;
}

// A protected file's count is the one sealed in its change mark: slots
// past it are never read, and a file that ends before it was cut short.
int16_t SiteSlots::SealedCount(int32_t sealed, int64_t slots) {
  if (sealed < 0) {
    throw OstrelError(err::kCorruptedFile, "the site count in the header cannot be verified");
  }
  if (sealed > slots) {
    throw OstrelError(err::kCorruptedFile, "the file ends before site slot " + std::to_string(sealed) +
                                               ", the last its header counts");
  }
  return static_cast<int16_t>(sealed);
}

bool SiteSlots::Holds(int32_t slot, bool record) {
  try {
    return Text(slot).empty() != record;
  } catch (const OstrelError&) {
    return false;
  }
}

std::string SiteSlots::Text(int32_t slot) {
  std::string image(kSiteSlotSize, '\0');
  mFile.Read(OffsetOf(slot), kSiteSlotSize, image.data());
  return DecryptSlot(mContext, image, false, OffsetOf(slot));
}

void SiteSlots::CheckHolds(const ListedSite& site, int16_t count) {
  if (site.Slot < 1 || site.Slot > count) throw Changed(site, "lies past the last record");
  const std::string text = Text(site.Slot);
  if (text.empty()) throw Changed(site, "is empty");
  int16_t pos = 1;
  const int16_t owner = UnpackInteger(pos, text);
  UnpackInteger(pos, text);
  if (owner != site.Owner || UnpackString(pos, text) != site.Name) {
    throw Changed(site, "holds another record");
  }
}

void SiteSlots::ForEach(int32_t first, int32_t last,
                        const std::function<void(int32_t, std::string_view)>& visit) {
  std::vector<char> run;
  for (int32_t bottom = first; bottom <= last; bottom += kRunSlots) {
    const int32_t top = std::min(last, bottom + kRunSlots - 1);
    run.resize(static_cast<size_t>(top - bottom + 1) * kSiteSlotSize);
    mFile.Read(OffsetOf(bottom), static_cast<int64_t>(run.size()), run.data());
    for (int32_t k = bottom; k <= top; ++k) {
      visit(k, std::string_view(run.data() + static_cast<size_t>(k - bottom) * kSiteSlotSize,
                                kSiteSlotSize));
    }
  }
}

std::vector<ListedSite> SiteSlots::List(int16_t owner, int16_t count) {
  std::vector<ListedSite> sites;
  ForEach(1, count, [&](int32_t slot, std::string_view image) {
    const std::string text = DecryptSlot(mContext, image, false, OffsetOf(slot));
    if (text.empty()) return;
    int16_t pos = 1;
    if (UnpackInteger(pos, text) != owner) return;
    UnpackInteger(pos, text);
    sites.push_back({static_cast<int16_t>(slot), owner, UnpackString(pos, text)});
  });
  return sites;
}

SiteSlots::Removal SiteSlots::OwnedBy(int16_t owner, int16_t count) {
  std::vector<bool> remove(static_cast<size_t>(count), false);
  int32_t first = 0;
  ForEach(1, count, [&](int32_t slot, std::string_view image) {
    const std::string text = DecryptSlot(mContext, image, false, OffsetOf(slot));
    int16_t pos = 1;
    if (text.empty() || UnpackInteger(pos, text) == owner) {
      remove[static_cast<size_t>(slot - 1)] = true;
      if (first == 0) first = slot;
    }
  });
  Removal removal;
  if (first == 0) return removal;
  removal.first = first;
  removal.last = count;
  removal.remove.assign(remove.begin() + (first - 1), remove.end());
  return removal;
}

SiteSlots::Removal SiteSlots::One(int32_t slot, int16_t count) {
  Removal removal;
  if (slot < 1 || slot > count) return removal;
  removal.first = slot;
  removal.last = count;
  removal.remove.assign(static_cast<size_t>(count - slot + 1), false);
  removal.remove[0] = true;
  return removal;
}

void SiteSlots::Keep(FileChange& change, const Removal& removal) {
  if (removal.first == 0) return;
  change.Keep(OffsetOf(removal.first),
              static_cast<int64_t>(removal.last - removal.first + 1) * kSiteSlotSize, kSiteSlotSize);
}

// In a protected file a slot is sealed for its place: a record that moves
// is sealed anew for the slot it goes to, and each freed slot gets an empty
// record of its own.
void SiteSlots::Move(FileChange& change, const Removal& removal) {
  if (removal.first == 0) return;
  const bool reseal = mContext.Protected();
  auto empty = [&](int32_t slot) {
    std::string image;
    EncryptBlock(mContext, image, kSiteSlotSize, false, reseal ? OffsetOf(slot) : kUnbound);
    return image;
  };
  const std::string unbound = reseal ? std::string() : empty(0);
  const size_t runBytes = static_cast<size_t>(kRunSlots) * kSiteSlotSize;
  std::string out;
  out.reserve(runBytes);
  int32_t next = removal.first;  // the slot the next staying record goes to
  auto flush = [&] {
    if (out.empty()) return;
    change.Write(OffsetOf(next), out);
    next += static_cast<int32_t>(out.size() / kSiteSlotSize);
    out.clear();
  };
  // A staying record only ever moves down, into a slot already read: the
  // run in memory is never overwritten before it is used.
  ForEach(removal.first, removal.last, [&](int32_t slot, std::string_view image) {
    if (removal.remove[static_cast<size_t>(slot - removal.first)]) return;
    const int32_t target = next + static_cast<int32_t>(out.size() / kSiteSlotSize);
    if (reseal && target != slot) {
      ResealSlot(mContext, image, false, OffsetOf(slot), OffsetOf(target), kSiteSlotSize, out);
    } else {
      out.append(image);
    }
    if (out.size() >= runBytes) flush();
  });
  flush();
  while (next <= removal.last) {
    const int32_t slots = std::min(kRunSlots, removal.last - next + 1);
    for (int32_t i = 0; i < slots; ++i) out += reseal ? empty(next + i) : unbound;
    flush();
  }
}

}  // namespace ostrel
