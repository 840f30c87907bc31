#include "store/ChangeMark.h"

#include "store/Blocks.h"
#include "store/Codec.h"
#include "store/SlotLimits.h"
#include "support/OstrelError.h"

namespace ostrel {

ChangeMark ChangeMark::Read(StoreContext& context, IRecordFile& file) {
  ChangeMark mark;
  std::string image(kBytes, '\0');
  try {
    file.Read(static_cast<int32_t>(kOffset / kBytes + 1), 1, image.data());
    const std::string text = DecryptSlot(context, image, true);
    if (text.empty()) return mark;
    int16_t pos = 1;
    mark.sites = UnpackInteger(pos, text) - 1;
    mark.journal = UnpackString(pos, text);
  } catch (const OstrelError&) {
    mark = ChangeMark();
  }
  return mark;
}

std::string ChangeMark::Image(StoreContext& context, int32_t sites, const std::string& journal) {
  const std::string count = PackInteger(ToInteger(sites < 0 ? 0 : sites + 1));
  const bool fits = count.size() + 1 + journal.size() <= static_cast<size_t>(kMaxUserRecordBytes);
  std::string record = count + PackString(fits ? journal : std::string());
  EncryptBlock(context, record, kBytes, true);
  return record;
}

}  // namespace ostrel
