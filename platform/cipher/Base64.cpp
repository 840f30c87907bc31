#include "platform/cipher/Base64.h"

#include <array>
#include <cstdint>

namespace ostrel {

namespace {

constexpr std::array<int8_t, 256> MakeTable() {
  std::array<int8_t, 256> table{};
  for (auto& value : table) value = -1;
  constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  for (int i = 0; i < 64; ++i) table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<int8_t>(i);
  return table;
}

constexpr std::array<int8_t, 256> kTable = MakeTable();

int32_t Sextet(char c) { return kTable[static_cast<unsigned char>(c)]; }

}  // namespace

std::ptrdiff_t DecodeBase64(std::string_view text, unsigned char* out) {
  if (text.size() % 4 != 0) return -1;
  if (text.empty()) return 0;
  size_t padding = 0;
  if (text.back() == '=') padding = text[text.size() - 2] == '=' ? 2 : 1;

  const size_t fullGroups = text.size() / 4 - (padding > 0 ? 1 : 0);
  const char* in = text.data();
  unsigned char* start = out;
  int32_t bad = 0;
  for (size_t g = 0; g < fullGroups; ++g, in += 4) {
    const int32_t a = Sextet(in[0]), b = Sextet(in[1]), c = Sextet(in[2]), d = Sextet(in[3]);
    bad |= a | b | c | d;
    const uint32_t bits = (static_cast<uint32_t>(a) << 18) | (static_cast<uint32_t>(b) << 12) |
                          (static_cast<uint32_t>(c) << 6) | static_cast<uint32_t>(d);
    out[0] = static_cast<unsigned char>(bits >> 16);
    out[1] = static_cast<unsigned char>(bits >> 8);
    out[2] = static_cast<unsigned char>(bits);
    out += 3;
  }
  if (bad < 0) return -1;

  if (padding > 0) {
    const int32_t a = Sextet(in[0]), b = Sextet(in[1]);
    const int32_t c = padding == 1 ? Sextet(in[2]) : 0;
    if ((a | b | c) < 0) return -1;
    const uint32_t bits = (static_cast<uint32_t>(a) << 18) | (static_cast<uint32_t>(b) << 12) |
                          (static_cast<uint32_t>(c) << 6);
    if (padding == 2) {
      if ((bits & 0xFFFF) != 0) return -1;
      *out++ = static_cast<unsigned char>(bits >> 16);
    } else {
      if ((bits & 0xFF) != 0) return -1;
      *out++ = static_cast<unsigned char>(bits >> 16);
      *out++ = static_cast<unsigned char>(bits >> 8);
    }
  }
  return out - start;
}

}  // namespace ostrel
