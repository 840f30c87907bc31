#pragma once

#include <cstddef>
#include <string_view>

namespace ostrel {

// Decodes standard Base64 (A-Z a-z 0-9 + /, '=' padding, no line breaks)
// into `out`, which must hold text.size() / 4 * 3 bytes, and returns the
// number of bytes written. Returns -1 for anything that Base64 encoding with
// padding cannot have produced: a length that is not a multiple of 4, any
// other character, '=' other than at the end, or padding bits that are not
// zero. So each text has exactly one meaning.
std::ptrdiff_t DecodeBase64(std::string_view text, unsigned char* out);

}  // namespace ostrel
