#include "store/WebUsers.h"

#include <gtest/gtest.h>

#include "store/Blocks.h"
#include "store/Codec.h"
#include "store/FileInfo.h"
#include "store/SlotLimits.h"
#include "support/ErrorNumbers.h"
#include "tests/store/StoreTestSupport.h"

namespace ostrel {
namespace {

using test::ErrorNumberOf;

class WebUsersTest : public test::StoreTest {
 protected:
  WebUsersTest() : users(context) {}

  // Creates users the way the window does: id from the header, then the
  // header's LastUserID written back.
  void AddUsers(std::initializer_list<std::string> names) {
    FileInfo header(context);
    int16_t last = header.LastUserID();
    for (const std::string& name : names) {
      users.CreateUser(last, name, name + "-pw");
      header.SetLastUserID(last);
    }
  }

  std::string Slot(int n) { return FileBytes().substr((n - 1) * 256, 256); }

  // Writes a packed user record into slot n directly.
  void PutUser(int n, int16_t id, const std::string& name) {
    std::string record = PackInteger(id) + PackString(name) + PackString("pw");
    EncryptBlock(context, record, 256, false);
    std::string bytes = FileBytes();
    bytes.replace((n - 1) * 256, 256, record);
    test::WriteFileBytes(context.PasswordFileName, bytes);
  }

  WebUsers users;
};

TEST_F(WebUsersTest, LoadOnAMissingFileCreatesItEmpty) {
  users.Load();
  EXPECT_TRUE(users.Loaded());
  EXPECT_EQ(users.Count(), 0);
  EXPECT_TRUE(test::FileExists(context.PasswordFileName));
  EXPECT_EQ(FileBytes(), "");
}

TEST_F(WebUsersTest, NeverWrittenSlotsReadAsEmptyWithoutDecryption) {
  CreatePasswordFile();
  // A decryption of an all-NUL slot would fail; the table is simply empty.
  users.Load();
  EXPECT_EQ(users.Count(), 0);
}

TEST_F(WebUsersTest, TableEndsAtTheFirstNeverWrittenSlot) {
  CreatePasswordFile();
  AddUsers({"ann", "bob"});
  users.Load();
  EXPECT_EQ(users.Count(), 2);
  EXPECT_EQ(users.UserName(1), "ann");
  EXPECT_EQ(users.UserName(2), "bob");
}

TEST_F(WebUsersTest, UserWithAnEmptyNameEndsTheTable) {
  CreatePasswordFile();
  PutUser(1, 1, "ann");
  PutUser(2, 2, "");
  PutUser(3, 3, "cid");
  users.Load();
  EXPECT_EQ(users.Count(), 1);
}

TEST_F(WebUsersTest, CreateUserTakesTheNextIdAndSlot) {
  CreatePasswordFile();
  AddUsers({"ann"});
  users.Load();
  int16_t last = 7;
  users.CreateUser(last, "bob", "secret");
  EXPECT_EQ(last, 8);
  EXPECT_EQ(users.Count(), 2);
  EXPECT_EQ(users.GetUserID(2), 8);
  EXPECT_TRUE(users.CheckPassword(2, "secret"));
}

TEST_F(WebUsersTest, ThirteenthUserIsRefusedBeforeAnythingIsWritten) {
  CreatePasswordFile();
  AddUsers({"u1", "u2", "u3", "u4", "u5", "u6", "u7", "u8", "u9", "u10", "u11", "u12"});
  users.Load();
  ASSERT_EQ(users.Count(), 12);
  std::string before = FileBytes();
  int16_t last = 12;
  EXPECT_EQ(ErrorNumberOf([&] { users.CreateUser(last, "u13", "pw"); }), err::kSubscript);
  EXPECT_EQ(last, 12);
  EXPECT_EQ(users.Count(), 12);
  EXPECT_EQ(FileBytes(), before);
}

TEST_F(WebUsersTest, NameAndPasswordMustFitTheSlot) {
  CreatePasswordFile();
  int16_t last = 0;
  const int total = kMaxUserNamePasswordBytes;
  users.CreateUser(last, std::string(100, 'n'), std::string(total - 100, 'p'));
  EXPECT_TRUE(users.CheckPassword(1, std::string(total - 100, 'p')));
  std::string before = FileBytes();
  EXPECT_EQ(ErrorNumberOf([&] {
              users.CreateUser(last, std::string(100, 'n'), std::string(total - 99, 'p'));
            }),
            err::kBadRecordLength);
  EXPECT_EQ(ErrorNumberOf([&] { users.ChangePassword(1, std::string(total - 99, 'p')); }),
            err::kBadRecordLength);
  EXPECT_EQ(last, 1);
  EXPECT_EQ(users.Count(), 1);
  EXPECT_EQ(FileBytes(), before);
}

TEST_F(WebUsersTest, LastPossibleIdIsRefused) {
  CreatePasswordFile();
  int16_t last = 32767;
  EXPECT_EQ(ErrorNumberOf([&] { users.CreateUser(last, "ann", "pw"); }), err::kOverflow);
  EXPECT_EQ(last, 32767);
}

TEST_F(WebUsersTest, DeletingUserTwoOfFourMovesTheRestDown) {
  CreatePasswordFile();
  AddUsers({"ann", "bob", "cid", "dan"});
  std::string before = FileBytes();
  users.DeleteUser(2);
  std::string after = FileBytes();
  EXPECT_EQ(Slot(1), before.substr(0, 256));
  EXPECT_EQ(Slot(2), before.substr(2 * 256, 256));
  EXPECT_EQ(Slot(3), before.substr(3 * 256, 256));
  EXPECT_EQ(Slot(4), std::string(256, '\0'));
  std::string slot12 = Slot(12);
  EXPECT_NE(slot12, std::string(256, '\0'));
  DecryptBlock(context, slot12, false);
  EXPECT_EQ(slot12, "");
  users.Load();
  EXPECT_EQ(users.Count(), 3);
  EXPECT_EQ(users.UserName(2), "cid");
  EXPECT_EQ(users.GetUserID(2), 3);
  EXPECT_EQ(users.GetUserID(3), 4);
  // The header and the sites are left; slot 15 is the change mark.
  EXPECT_EQ(after.substr(15 * 256), before.substr(15 * 256));
}

TEST_F(WebUsersTest, DeletingTheLastUserLeavesTheOthers) {
  CreatePasswordFile();
  AddUsers({"ann", "bob", "cid"});
  std::string before = FileBytes();
  users.DeleteUser(3);
  EXPECT_EQ(FileBytes().substr(0, 512), before.substr(0, 512));
  users.Load();
  EXPECT_EQ(users.Count(), 2);
}

TEST_F(WebUsersTest, CreateAfterDeleteWithoutReloadStillAppendsVisibly) {
  CreatePasswordFile();
  AddUsers({"ann", "bob", "cid", "dan"});
  users.Load();
  users.DeleteUser(2);
  int16_t last = 4;
  users.CreateUser(last, "eve", "pw");
  users.Load();
  ASSERT_EQ(users.Count(), 4);
  EXPECT_EQ(users.UserName(4), "eve");
  EXPECT_EQ(users.GetUserID(4), 5);
}

TEST_F(WebUsersTest, PasswordsCompareExactly) {
  CreatePasswordFile();
  AddUsers({"ann"});
  EXPECT_TRUE(users.CheckPassword(1, "ann-pw"));
  EXPECT_FALSE(users.CheckPassword(1, "Ann-pw"));
  EXPECT_FALSE(users.CheckPassword(1, "ann-pw "));
  EXPECT_FALSE(users.CheckPassword(1, "ann-p"));
  EXPECT_FALSE(users.CheckPassword(1, ""));
}

TEST_F(WebUsersTest, ChangePasswordKeepsIdAndName) {
  CreatePasswordFile();
  AddUsers({"ann", "bob"});
  users.ChangePassword(2, "new one");
  users.Load();
  EXPECT_EQ(users.UserName(2), "bob");
  EXPECT_EQ(users.GetUserID(2), 2);
  EXPECT_TRUE(users.CheckPassword(2, "new one"));
  EXPECT_FALSE(users.CheckPassword(2, "bob-pw"));
  EXPECT_TRUE(users.CheckPassword(1, "ann-pw"));
}

TEST_F(WebUsersTest, TwoUsersMayShareAName) {
  CreatePasswordFile();
  AddUsers({"sam", "sam"});
  users.Load();
  EXPECT_EQ(users.Count(), 2);
  EXPECT_NE(users.GetUserID(1), users.GetUserID(2));
  users.ChangePassword(2, "other");
  EXPECT_TRUE(users.CheckPassword(1, "sam-pw"));
  EXPECT_TRUE(users.CheckPassword(2, "other"));
}

TEST_F(WebUsersTest, IndexOutsideTheTableIsRefusedBeforeAnyAccess) {
  CreatePasswordFile();
  AddUsers({"ann", "bob"});
  std::string before = FileBytes();
  EXPECT_EQ(ErrorNumberOf([&] { users.GetUserID(-1); }), err::kBadRecordNumber);
  EXPECT_EQ(ErrorNumberOf([&] { users.CheckPassword(0, "x"); }), err::kBadRecordNumber);
  EXPECT_EQ(ErrorNumberOf([&] { users.ChangePassword(-1, "x"); }), err::kBadRecordNumber);
  EXPECT_EQ(ErrorNumberOf([&] { users.DeleteUser(0); }), err::kBadRecordNumber);
  EXPECT_EQ(ErrorNumberOf([&] { users.DeleteUser(13); }), err::kSubscript);
  EXPECT_EQ(ErrorNumberOf([&] { users.ChangePassword(16, "x"); }), err::kSubscript);
  EXPECT_EQ(ErrorNumberOf([&] { users.UserName(0); }), err::kSubscript);
  EXPECT_EQ(ErrorNumberOf([&] { users.UserName(13); }), err::kSubscript);
  EXPECT_EQ(FileBytes(), before);
}

TEST_F(WebUsersTest, EmptySlotCannotBeReadAsAUser) {
  CreatePasswordFile();
  AddUsers({"ann"});
  EXPECT_EQ(ErrorNumberOf([&] { users.CheckPassword(2, "x"); }), err::kInvalidArgument);
  EXPECT_EQ(ErrorNumberOf([&] { users.GetUserID(2); }), err::kInvalidArgument);
}

TEST_F(WebUsersTest, WrongDataKeyIsCorruptedAndKeepsTheLoadedTable) {
  CreatePasswordFile();
  AddUsers({"ann", "bob"});
  users.Load();
  context.DataCipher.SetSecret("wrong key!");
  EXPECT_EQ(ErrorNumberOf([&] { users.Load(); }), err::kCorruptedFile);
  EXPECT_EQ(users.Count(), 2);
  EXPECT_EQ(ErrorNumberOf([&] { users.CheckPassword(1, "ann-pw"); }), err::kCorruptedFile);
}

}  // namespace
}  // namespace ostrel
