#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The field codec of the packed records. A packed record is the
// concatenation of fields in one of three encodings, read from position 1
// (1-based byte positions, 16-bit):
//   byte          1 byte      0..255
//   integer       2 bytes     0..32767, low byte first, high byte 0..127
//   short string  1 + n bytes a length byte n (0..255), then n bytes, no
//                             terminator
// Strings are byte strings (UTF-8 text counts its bytes). A record is built
// by concatenating Pack* results in field order and read back with the
// matching Unpack* calls in the same order on one position variable.
namespace ostrel {

// n = byte at pos; returns the n bytes after it (fewer when the buffer ends
// first); pos += n + 1. A pos past the end raises err::kInvalidArgument (5).
std::string UnpackString(int16_t& pos, const std::string& buf);

// The byte at pos (0..255); pos += 1. Past the end: err::kInvalidArgument.
int16_t UnpackByte(int16_t& pos, const std::string& buf);

// byte(pos + 1) * 256 + byte(pos); pos += 2. A high byte of 128 or more
// raises err::kOverflow (6); a byte past the end err::kInvalidArgument.
int16_t UnpackInteger(int16_t& pos, const std::string& buf);

// The length byte then s. Over 255 bytes: err::kInvalidArgument, nothing
// is truncated.
std::string PackString(std::string_view s);

// Two bytes, low first. A negative v raises err::kInvalidArgument.
std::string PackInteger(int16_t v);

// One byte with value b.
std::string PackByte(uint8_t b);

// Conversions used before packing: a value outside 0..255 (ToByte) or
// outside the 16-bit range (ToInteger) raises err::kOverflow (6).
uint8_t ToByte(int32_t value);
int16_t ToInteger(int32_t value);

}  // namespace ostrel
