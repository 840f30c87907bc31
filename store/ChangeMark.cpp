#include "store/ChangeMark.h"

#include "store/Blocks.h"
#include "store/Codec.h"
#include "store/SlotLimits.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

namespace {

// The count of a protected file's mark as it is sealed (see ChangeMark.h).
std::string Seal(StoreContext& context, const std::string& count) {
  context.DataCipher.SetContent(count);
  return context.DataCipher.Encrypt(SlotBinding(context, ChangeMark::kOffset));
}

int32_t Unseal(StoreContext& context, const std::string& seal) {
  try {
    context.DataCipher.Decrypt(seal, SlotBinding(context, ChangeMark::kOffset));
    const std::string count = context.DataCipher.Content();
    int16_t pos = 1;
    return UnpackInteger(pos, count) - 1;
  } catch (const OstrelError&) {
    return ChangeMark::kUnknownSites;
  }
}

}  // namespace

ChangeMark ChangeMark::Read(StoreContext& context, IRecordFile& file) {
  ChangeMark mark;
  std::string image(kBytes, '\0');
  try {
    file.Read(static_cast<int32_t>(kOffset / kBytes + 1), 1, image.data());
    const std::string text = DecryptSlot(context, image, true);
    if (text.empty()) return mark;
    int16_t pos = 1;
    mark.sites = UnpackInteger(pos, text) - 1;
    mark.stated = mark.sites;
    mark.journal = UnpackString(pos, text);
    if (context.Protected()) {
      const std::string seal = UnpackString(pos, text);
      mark.sealed = !seal.empty();
      mark.sites = Unseal(context, seal);
    }
  } catch (const OstrelError&) {
    mark = ChangeMark();
  }
  return mark;
}

std::string ChangeMark::Image(StoreContext& context, int32_t sites, const std::string& journal) {
  const std::string count = PackInteger(ToInteger(sites < 0 ? 0 : sites + 1));
  std::string seal;
  if (context.Protected()) {
    if (!context.DataCipher.HasKey()) {
      throw OstrelError(err::kInternalError, "a protected file changed without its data key");
    }
    if (sites < 0) throw OstrelError(err::kCorruptedFile, "the site count in the header cannot be verified");
    seal = PackString(Seal(context, count));
  }
  const bool fits = count.size() + 1 + journal.size() + seal.size() <= static_cast<size_t>(kMaxUserRecordBytes);
  std::string record = count + PackString(fits ? journal : std::string()) + seal;
  EncryptBlock(context, record, kBytes, true);
  return record;
}

}  // namespace ostrel
