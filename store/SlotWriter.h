#pragma once

#include <cstdint>
#include <string_view>

#include "platform/files/RecordFile.h"

namespace ostrel {

// Writes whole slots and waits until they are on disk, so that a failure
// leaves the file as it was: when the write (or the wait) fails, the bytes it
// replaced are written back and anything it added past the old end is cut
// off, then the write's error is raised.
// Should putting back fail as well, the error says so in its description.
//
// `oldBytes` must be the current content of the slots being written (as
// many bytes as `data`); the short form reads them first.
void WriteSlots(IRecordFile& file, int32_t first, std::string_view data,
                std::string_view oldBytes);
void WriteSlots(IRecordFile& file, int32_t first, std::string_view data);

}  // namespace ostrel
