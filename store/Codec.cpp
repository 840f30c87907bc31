#include "store/Codec.h"

#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

namespace {

// The byte at 1-based position pos; past either end of buf is error 5.
uint8_t ByteAt(int32_t pos, const std::string& buf) {
  if (pos < 1 || pos > static_cast<int32_t>(buf.size())) {
    throw OstrelError(err::kInvalidArgument,
                      "no byte at position " + std::to_string(pos) + " of a " +
                          std::to_string(buf.size()) + "-byte record");
  }
  return static_cast<uint8_t>(buf[pos - 1]);
}

void Advance(int16_t& pos, int32_t by) { pos = ToInteger(pos + by); }

}  // namespace

uint8_t ToByte(int32_t value) {
  if (value < 0 || value > 255) {
    throw OstrelError(err::kOverflow, std::to_string(value) + " does not fit a byte");
  }
  return static_cast<uint8_t>(value);
}

int16_t ToInteger(int32_t value) {
  if (value < INT16_MIN || value > INT16_MAX) {
    throw OstrelError(err::kOverflow, std::to_string(value) + " does not fit 16 bits");
  }
  return static_cast<int16_t>(value);
}

std::string UnpackString(int16_t& pos, const std::string& buf) {
  int32_t n = ByteAt(pos, buf);
  size_t start = static_cast<size_t>(pos);  // first character, 0-based
  std::string result = start < buf.size() ? buf.substr(start, n) : std::string();
  Advance(pos, n + 1);
  return result;
}

int16_t UnpackByte(int16_t& pos, const std::string& buf) {
  int16_t value = ByteAt(pos, buf);
  Advance(pos, 1);
  return value;
}

int16_t UnpackInteger(int16_t& pos, const std::string& buf) {
  int32_t high = ByteAt(pos + 1, buf);
  int32_t low = ByteAt(pos, buf);
  if (high >= 128) {
    throw OstrelError(err::kOverflow, "integer with high byte " + std::to_string(high) +
                                          " at position " + std::to_string(pos));
  }
  Advance(pos, 2);
  return static_cast<int16_t>(high * 256 + low);
}

std::string PackString(std::string_view s) {
  if (s.size() > 255) {
    throw OstrelError(err::kInvalidArgument,
                      "a text of " + std::to_string(s.size()) + " bytes (at most 255)");
  }
  std::string packed(1, static_cast<char>(s.size()));
  packed.append(s);
  return packed;
}

std::string PackInteger(int16_t v) {
  if (v < 0) {
    throw OstrelError(err::kInvalidArgument, "negative integer " + std::to_string(v));
  }
  return {static_cast<char>(v % 256), static_cast<char>(v / 256)};
}

std::string PackByte(uint8_t b) { return std::string(1, static_cast<char>(b)); }

}  // namespace ostrel
