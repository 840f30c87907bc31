#include "store/FileInfo.h"

#include <gtest/gtest.h>

#include "store/Blocks.h"
#include "store/Codec.h"
#include "store/SlotLimits.h"
#include "support/ErrorNumbers.h"
#include "tests/store/StoreTestSupport.h"

namespace ostrel {
namespace {

using test::ErrorNumberOf;
using test::kDataKey;

class FileInfoTest : public test::StoreTest {
 protected:
  // Slot n (1-based) of the 256-byte view of the file.
  std::string Slot(int n) { return FileBytes().substr((n - 1) * 256, 256); }

  // Decrypts header slot 16 and unpacks it.
  std::tuple<int, int, std::string> HeaderSlot() {
    std::string text = Slot(16);
    DecryptBlock(context, text, true);
    int16_t pos = 1;
    int id = UnpackInteger(pos, text);
    int version = UnpackByte(pos, text);
    return {id, version, UnpackString(pos, text)};
  }

  // Writes a header of the given version into slot 16 and `slot15` raw.
  void WriteHeaderFile(int16_t lastUserID, uint8_t version, const std::string& slot15) {
    std::string header = PackInteger(lastUserID) + PackByte(version) + PackString(kDataKey);
    EncryptBlock(context, header, 256, true);
    test::WriteFileBytes(context.PasswordFileName,
                         std::string(14 * 256, '\0') + slot15 + header);
  }
};

TEST_F(FileInfoTest, MissingFileIsEmptyAndIsNotCreated) {
  FileInfo header(context);
  EXPECT_TRUE(header.IsEmpty());
  EXPECT_EQ(header.LastUserID(), 0);
  EXPECT_EQ(header.Version(), 0);
  EXPECT_EQ(header.EncryptionKey(), "");
  EXPECT_FALSE(test::FileExists(context.PasswordFileName));
}

TEST_F(FileInfoTest, ZeroLengthFileIsEmptyAndStaysUntouched) {
  test::WriteFileBytes(context.PasswordFileName, "");
  FileInfo header(context);
  EXPECT_TRUE(header.IsEmpty());
  EXPECT_EQ(FileBytes(), "");
}

// Made whole at once: no journal, nothing else left in the folder.
TEST_F(FileInfoTest, KeyOnAnEmptyFileCreatesTheHeaderAtVersionZero) {
  FileInfo header(context);
  header.SetEncryptionKey(kDataKey);
  EXPECT_FALSE(header.IsEmpty());
  EXPECT_EQ(FileBytes().size(), 4096u);
  EXPECT_EQ(HeaderSlot(), std::make_tuple(0, 0, kDataKey));
  EXPECT_EQ(header.Version(), 0);
  EXPECT_EQ(header.EncryptionKey(), kDataKey);
  EXPECT_EQ(FileBytes().substr(0, 14 * 256), std::string(14 * 256, '\0'));
  EXPECT_EQ(test::FolderNames(dir.Path()), std::vector<std::string>{"ostrel.xps"});
}

TEST_F(FileInfoTest, NextConstructionUpgradesToVersionTwo) {
  CreatePasswordFile();
  FileInfo header(context);
  EXPECT_EQ(header.Version(), 2);
  EXPECT_EQ(header.LastUserID(), 0);
  EXPECT_EQ(header.EncryptionKey(), kDataKey);
  EXPECT_EQ(HeaderSlot(), std::make_tuple(0, 2, kDataKey));
}

// Start-up writes nothing that is not needed.
TEST_F(FileInfoTest, ConstructionOnVersionTwoWritesNothing) {
  CreatePasswordFile();
  FileInfo{context}.SetLastUserID(4);
  std::string before = FileBytes();
  FileInfo header(context);
  EXPECT_EQ(header.LastUserID(), 4);
  EXPECT_EQ(header.EncryptionKey(), kDataKey);
  EXPECT_EQ(FileBytes(), before);
}

TEST_F(FileInfoTest, VersionOneWithUnreadableSlot15IsUpgraded) {
  std::string oldSlot15 = std::string("\x06\x03\x01", 3) + std::string(253, '\x7f');
  WriteHeaderFile(3, 1, oldSlot15);
  FileInfo header(context);
  EXPECT_EQ(header.Version(), 2);
  EXPECT_EQ(header.LastUserID(), 3);
  EXPECT_EQ(header.EncryptionKey(), kDataKey);
  std::string slot15 = Slot(15);
  EXPECT_NO_THROW(DecryptBlock(context, slot15, true));
}

TEST_F(FileInfoTest, VersionTwoWithUnreadableSlot15IsCorrupted) {
  WriteHeaderFile(3, 2, std::string(256, '\x7f'));
  FileInfo header(context);
  EXPECT_EQ(ErrorNumberOf([&] { header.EncryptionKey(); }), err::kCorruptedFile);
}

TEST_F(FileInfoTest, LastUserIDWriteRewritesSlot16) {
  CreatePasswordFile();
  FileInfo header(context);
  header.SetLastUserID(5);
  EXPECT_EQ(HeaderSlot(), std::make_tuple(5, 2, kDataKey));
  EXPECT_EQ(header.LastUserID(), 5);
}

TEST_F(FileInfoTest, BadValuesAreRefusedBeforeTheFileIsTouched) {
  CreatePasswordFile();
  FileInfo header(context);
  std::string before = FileBytes();
  EXPECT_EQ(ErrorNumberOf([&] { header.SetVersion(256); }), err::kOverflow);
  EXPECT_EQ(ErrorNumberOf([&] { header.SetVersion(-1); }), err::kOverflow);
  EXPECT_EQ(ErrorNumberOf([&] { header.SetLastUserID(-1); }), err::kInvalidArgument);
  EXPECT_EQ(ErrorNumberOf([&] { header.SetEncryptionKey(std::string(256, 'k')); }),
            err::kInvalidArgument);
  EXPECT_EQ(ErrorNumberOf([&] {
              header.SetEncryptionKey(std::string(kMaxEncryptionKeyBytes + 1, 'k'));
            }),
            err::kBadRecordLength);
  EXPECT_EQ(FileBytes(), before);
  EXPECT_EQ(header.Version(), 2);
  EXPECT_EQ(header.LastUserID(), 0);
  EXPECT_EQ(header.EncryptionKey(), kDataKey);
}

TEST_F(FileInfoTest, LongestKeyFits) {
  std::string key(kMaxEncryptionKeyBytes, 'k');
  FileInfo{context}.SetEncryptionKey(key);
  EXPECT_EQ(FileInfo{context}.EncryptionKey(), key);
}

TEST_F(FileInfoTest, IsEmptyFindsAFileNamedLater) {
  FileInfo header(context);
  EXPECT_TRUE(header.IsEmpty());
  std::string first = context.PasswordFileName;
  context.PasswordFileName = dir.Path() + "/other.xps";
  CreatePasswordFile();
  EXPECT_FALSE(header.IsEmpty());
  EXPECT_EQ(header.EncryptionKey(), kDataKey);
  context.PasswordFileName = first;
  EXPECT_FALSE(header.IsEmpty());
}

TEST_F(FileInfoTest, WrongBuiltInKeyIsCorruptedFile) {
  CreatePasswordFile();
  context.HeaderCipher.SetSecret("notthekey");
  std::string before = FileBytes();
  EXPECT_EQ(ErrorNumberOf([&] { FileInfo header(context); }), err::kCorruptedFile);
  EXPECT_EQ(FileBytes(), before);
}

}  // namespace
}  // namespace ostrel
