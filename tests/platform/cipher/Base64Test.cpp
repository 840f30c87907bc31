#include "platform/cipher/Base64.h"

#include <gtest/gtest.h>

#include <string>

namespace ostrel {
namespace {

// Decodes or gives "<invalid>".
std::string Decode(std::string_view text) {
  std::string out(text.size() / 4 * 3, '\0');
  std::ptrdiff_t n = DecodeBase64(text, reinterpret_cast<unsigned char*>(out.data()));
  if (n < 0) return "<invalid>";
  out.resize(static_cast<size_t>(n));
  return out;
}

// A plain reference encoder.
std::string Encode(const std::string& bytes) {
  static const char* kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t bits = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) bits |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) bits |= static_cast<unsigned char>(bytes[i + 2]);
    text += kAlphabet[(bits >> 18) & 63];
    text += kAlphabet[(bits >> 12) & 63];
    text += i + 1 < bytes.size() ? kAlphabet[(bits >> 6) & 63] : '=';
    text += i + 2 < bytes.size() ? kAlphabet[bits & 63] : '=';
  }
  return text;
}

TEST(DecodeBase64, KnownVectors) {
  EXPECT_EQ(Decode(""), "");
  EXPECT_EQ(Decode("Zg=="), "f");
  EXPECT_EQ(Decode("Zm8="), "fo");
  EXPECT_EQ(Decode("Zm9v"), "foo");
  EXPECT_EQ(Decode("Zm9vYg=="), "foob");
  EXPECT_EQ(Decode("Zm9vYmE="), "fooba");
  EXPECT_EQ(Decode("Zm9vYmFy"), "foobar");
}

TEST(DecodeBase64, EveryByteValueAndLengthRoundTrips) {
  std::string bytes;
  for (int i = 0; i < 300; ++i) {
    EXPECT_EQ(Decode(Encode(bytes)), bytes) << i;
    bytes.push_back(static_cast<char>(i * 7 + 3));
  }
}

TEST(DecodeBase64, RefusesWhatNoEncoderWrites) {
  EXPECT_EQ(Decode("Zm9"), "<invalid>");       // length not a multiple of 4
  EXPECT_EQ(Decode("Zm9vY"), "<invalid>");
  EXPECT_EQ(Decode("Zm=v"), "<invalid>");      // '=' inside
  EXPECT_EQ(Decode("Zg==Zm9v"), "<invalid>");  // padding before the end
  EXPECT_EQ(Decode("Zm9-"), "<invalid>");      // not in the alphabet
  EXPECT_EQ(Decode("Zm9\n"), "<invalid>");
  EXPECT_EQ(Decode("Zm9\x80"), "<invalid>");
  EXPECT_EQ(Decode("Zh=="), "<invalid>");      // padding bits set
  EXPECT_EQ(Decode("Zm9="), "<invalid>");
  EXPECT_EQ(Decode("===="), "<invalid>");
  EXPECT_EQ(Decode("A==="), "<invalid>");
}

}  // namespace
}  // namespace ostrel
