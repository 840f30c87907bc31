#include "store/SlotWriter.h"

#include <algorithm>
#include <string>

#include "support/OstrelError.h"

namespace ostrel {

namespace {

// Puts the old bytes of the slots that lay inside the old file back and cuts
// the file to its old length.
void PutBack(IRecordFile& file, int32_t first, std::string_view oldBytes,
             int64_t oldLength) {
  const int64_t length = file.RecordLength();
  if (file.Length() > oldLength) file.Truncate(oldLength);
  int64_t start = (first - 1) * length;
  int64_t inside = std::max<int64_t>(0, oldLength - start);
  int64_t records = std::min<int64_t>((inside + length - 1) / length,
                                      static_cast<int64_t>(oldBytes.size()) / length);
  if (records > 0) file.Write(first, oldBytes.substr(0, records * length));
  if (file.Length() > oldLength) file.Truncate(oldLength);
}

}  // namespace

void WriteSlots(IRecordFile& file, int32_t first, std::string_view data,
                std::string_view oldBytes) {
  const int64_t oldLength = file.Length();
  try {
    file.Write(first, data);
    file.Sync();
  } catch (const OstrelError& failure) {
    try {
      PutBack(file, first, oldBytes, oldLength);
    } catch (const OstrelError&) {
      throw OstrelError(failure.Number(), failure.Description() + "; the old content could not be put back",
                        "The password file could not be written, and its old content could not be put back.");
    }
    throw;
  }
}

void WriteSlots(IRecordFile& file, int32_t first, std::string_view data) {
  std::string old(data.size(), '\0');
  file.Read(first, static_cast<int32_t>(data.size() / file.RecordLength()), old.data());
  WriteSlots(file, first, data, old);
}

}  // namespace ostrel
