#pragma once

#include <cstdint>
#include <string>

namespace ostrel {

// The message shown to the user for a numbered error. The application's own
// numbers (err::kCorruptedFile, kWebsiteProblem, kInvalidPassword,
// kFileNotFound, kInvalidFile) have fixed texts; every other number, the
// platform's included, gets "An unexpected error (#<number>) has occured."
// with the number in decimal (a minus sign and no blank when negative).
// Never fails.
std::string ErrorText(int32_t number);

}  // namespace ostrel
