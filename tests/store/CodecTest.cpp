#include "store/Codec.h"

#include <gtest/gtest.h>

#include "support/ErrorNumbers.h"
#include "tests/store/StoreTestSupport.h"

namespace ostrel {
namespace {

using test::ErrorNumberOf;

std::string Bytes(std::initializer_list<int> codes) {
  std::string s;
  for (int c : codes) s.push_back(static_cast<char>(c));
  return s;
}

TEST(PackInteger, LowByteFirst) {
  EXPECT_EQ(PackInteger(258), Bytes({0x02, 0x01}));
  EXPECT_EQ(PackInteger(0), Bytes({0, 0}));
  EXPECT_EQ(PackInteger(32767), Bytes({0xFF, 0x7F}));
}

TEST(PackInteger, NegativeIsInvalidArgument) {
  EXPECT_EQ(ErrorNumberOf([] { PackInteger(-1); }), err::kInvalidArgument);
  EXPECT_EQ(ErrorNumberOf([] { PackInteger(INT16_MIN); }), err::kInvalidArgument);
}

TEST(UnpackInteger, ReadsTwoBytesAndAdvances) {
  std::string buf = Bytes({0x02, 0x01});
  int16_t pos = 1;
  EXPECT_EQ(UnpackInteger(pos, buf), 258);
  EXPECT_EQ(pos, 3);
}

TEST(UnpackInteger, HighByteOf128OrMoreIsOverflow) {
  std::string buf = Bytes({0x00, 0x80});
  int16_t pos = 1;
  EXPECT_EQ(ErrorNumberOf([&] { UnpackInteger(pos, buf); }), err::kOverflow);
  EXPECT_EQ(pos, 1);
  buf = Bytes({0xFF, 0x7F});
  EXPECT_EQ(UnpackInteger(pos, buf), 32767);
}

TEST(UnpackInteger, MissingByteIsInvalidArgument) {
  std::string buf = Bytes({0x05});
  int16_t pos = 1;
  EXPECT_EQ(ErrorNumberOf([&] { UnpackInteger(pos, buf); }), err::kInvalidArgument);
  EXPECT_EQ(ErrorNumberOf([&] { UnpackInteger(pos, std::string()); }), err::kInvalidArgument);
}

TEST(PackString, LengthByteThenBytes) {
  EXPECT_EQ(PackString(""), Bytes({0}));
  EXPECT_EQ(PackString("abc"), Bytes({3, 'a', 'b', 'c'}));
  std::string max(255, 'z');
  EXPECT_EQ(PackString(max), "\xFF" + max);
}

TEST(PackString, Over255BytesIsInvalidArgumentNotTruncation) {
  EXPECT_EQ(ErrorNumberOf([] { PackString(std::string(256, 'z')); }), err::kInvalidArgument);
  // 128 two-byte characters are 256 bytes: limits count bytes.
  std::string utf8;
  for (int i = 0; i < 128; ++i) utf8 += "\xC3\xA9";
  EXPECT_EQ(ErrorNumberOf([&] { PackString(utf8); }), err::kInvalidArgument);
}

TEST(UnpackString, EmptyStringAdvancesByOne) {
  std::string buf = PackString("") + PackString("x");
  int16_t pos = 1;
  EXPECT_EQ(UnpackString(pos, buf), "");
  EXPECT_EQ(pos, 2);
  EXPECT_EQ(UnpackString(pos, buf), "x");
  EXPECT_EQ(pos, 4);
}

TEST(UnpackString, ShortBufferGivesWhatIsThereAndStillAdvancesFully) {
  std::string buf = Bytes({5, 'a', 'b'});
  int16_t pos = 1;
  EXPECT_EQ(UnpackString(pos, buf), "ab");
  EXPECT_EQ(pos, 7);
  buf = Bytes({3});
  pos = 1;
  EXPECT_EQ(UnpackString(pos, buf), "");
  EXPECT_EQ(pos, 5);
}

TEST(UnpackString, LengthBytePastTheEndIsInvalidArgument) {
  std::string buf = PackString("ab");
  int16_t pos = 4;
  EXPECT_EQ(ErrorNumberOf([&] { UnpackString(pos, buf); }), err::kInvalidArgument);
}

TEST(UnpackByte, ReadsBytesAsUnsigned) {
  std::string buf = PackByte(255) + PackByte(0);
  int16_t pos = 1;
  EXPECT_EQ(UnpackByte(pos, buf), 255);
  EXPECT_EQ(UnpackByte(pos, buf), 0);
  EXPECT_EQ(pos, 3);
  EXPECT_EQ(ErrorNumberOf([&] { UnpackByte(pos, buf); }), err::kInvalidArgument);
  pos = 0;
  EXPECT_EQ(ErrorNumberOf([&] { UnpackByte(pos, buf); }), err::kInvalidArgument);
}

TEST(Conversions, OutOfRangeIsOverflow) {
  EXPECT_EQ(ToByte(255), 255);
  EXPECT_EQ(ErrorNumberOf([] { ToByte(256); }), err::kOverflow);
  EXPECT_EQ(ErrorNumberOf([] { ToByte(-1); }), err::kOverflow);
  EXPECT_EQ(ToInteger(-32768), -32768);
  EXPECT_EQ(ErrorNumberOf([] { ToInteger(32768); }), err::kOverflow);
}

TEST(Codec, FieldsRoundTripInOrder) {
  std::string buf = PackInteger(7) + PackString("name") + PackByte(200) + PackString("");
  int16_t pos = 1;
  EXPECT_EQ(UnpackInteger(pos, buf), 7);
  EXPECT_EQ(UnpackString(pos, buf), "name");
  EXPECT_EQ(UnpackByte(pos, buf), 200);
  EXPECT_EQ(UnpackString(pos, buf), "");
  EXPECT_EQ(pos, static_cast<int16_t>(buf.size() + 1));
}

}  // namespace
}  // namespace ostrel
