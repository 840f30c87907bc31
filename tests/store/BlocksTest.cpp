#include "store/Blocks.h"

#include <gtest/gtest.h>

#include "store/SlotLimits.h"
#include "support/ErrorNumbers.h"
#include "tests/store/StoreTestSupport.h"

namespace ostrel {
namespace {

using test::ErrorNumberOf;

class BlocksTest : public ::testing::Test {
 protected:
  BlocksTest() { test::KeyContext(context); }
  StoreContext context;
};

TEST_F(BlocksTest, SlotImageIsTextThenNulPadding) {
  std::string buf = "some packed record";
  EncryptBlock(context, buf, 256, false);
  ASSERT_EQ(buf.size(), 256u);
  size_t end = buf.find('\0');
  ASSERT_NE(end, std::string::npos);
  EXPECT_GT(end, 0u);
  EXPECT_EQ(buf.find_first_not_of('\0', end), std::string::npos);
  DecryptBlock(context, buf, false);
  EXPECT_EQ(buf, "some packed record");
}

TEST_F(BlocksTest, EmptyRecordIsStoredAsTheMarkerAndReadsBackEmpty) {
  std::string buf;
  EncryptBlock(context, buf, 256, false);
  EXPECT_NE(buf, std::string(256, '\0'));
  context.DataCipher.Decrypt(buf);
  EXPECT_EQ(context.DataCipher.Content(), std::string(16, '\0'));
  DecryptBlock(context, buf, false);
  EXPECT_EQ(buf, "");
}

TEST_F(BlocksTest, SixteenNulsReadBackEmptyButFifteenDoNot) {
  std::string buf(16, '\0');
  EncryptBlock(context, buf, 2048, false);
  DecryptBlock(context, buf, false);
  EXPECT_EQ(buf, "");
  buf = std::string(15, '\0');
  EncryptBlock(context, buf, 2048, false);
  DecryptBlock(context, buf, false);
  EXPECT_EQ(buf, std::string(15, '\0'));
}

TEST_F(BlocksTest, HeaderAndDataCiphersAreNotInterchangeable) {
  std::string buf = "header";
  EncryptBlock(context, buf, 256, true);
  std::string copy = buf;
  EXPECT_EQ(ErrorNumberOf([&] { DecryptBlock(context, copy, false); }), err::kCorruptedFile);
  DecryptBlock(context, buf, true);
  EXPECT_EQ(buf, "header");
}

TEST_F(BlocksTest, LargestRecordsFitAndOneByteMoreIsRefused) {
  for (auto [size, max] : {std::pair<int16_t, int32_t>{kUserSlotSize, kMaxUserRecordBytes},
                           {kSiteSlotSize, kMaxSiteRecordBytes}}) {
    std::string buf(static_cast<size_t>(max), 'x');
    EncryptBlock(context, buf, size, false);
    EXPECT_EQ(buf.size(), static_cast<size_t>(size));
    DecryptBlock(context, buf, false);
    EXPECT_EQ(buf, std::string(static_cast<size_t>(max), 'x'));

    std::string tooLong(static_cast<size_t>(max) + 1, 'x');
    std::string original = tooLong;
    try {
      EncryptBlock(context, tooLong, size, false);
      ADD_FAILURE() << "a record of " << max + 1 << " bytes was accepted";
    } catch (const OstrelError& e) {
      EXPECT_EQ(e.Number(), err::kBadRecordLength);
      EXPECT_NE(e.Description().find(std::to_string(max)), std::string::npos);
    }
    EXPECT_EQ(tooLong, original);
  }
}

TEST_F(BlocksTest, WrongDataKeyIsCorruptedFileAndLeavesTheBuffer) {
  std::string buf = "record";
  EncryptBlock(context, buf, 2048, false);
  std::string image = buf;
  context.DataCipher.SetSecret("another key");
  EXPECT_EQ(ErrorNumberOf([&] { DecryptBlock(context, buf, false); }), err::kCorruptedFile);
  EXPECT_EQ(buf, image);
}

TEST_F(BlocksTest, CorruptedFileErrorHasNoDescription) {
  std::string buf(256, 'A');
  try {
    DecryptBlock(context, buf, false);
    ADD_FAILURE() << "garbage decrypted";
  } catch (const OstrelError& e) {
    EXPECT_EQ(e.Number(), err::kCorruptedFile);
    EXPECT_EQ(e.Description(), "");
  }
}

}  // namespace
}  // namespace ostrel
