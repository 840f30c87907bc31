// A password file protected with each person's password: what a thief with
// a copy of the file finds, what opens it, and slots moved, cut off or
// damaged.
#include <gtest/gtest.h>
#include <sodium.h>

#include <filesystem>
#include <functional>

#include "platform/cipher/KeyWrap.h"
#include "store/Blocks.h"
#include "store/Codec.h"
#include "store/FileCheck.h"
#include "store/FileInfo.h"
#include "store/FileProtection.h"
#include "store/SiteSlots.h"
#include "store/WebUsers.h"
#include "support/ErrorNumbers.h"
#include "tests/store/StoreTestSupport.h"

namespace ostrel {
namespace {

constexpr WrapLimits kQuick{1, 8};  // the derivations of tests: a few ms
const std::string kRecovery = "recovery key";

std::string Base64(std::string_view bytes) {
  std::string text(sodium_base64_encoded_len(bytes.size(), sodium_base64_VARIANT_ORIGINAL), '\0');
  sodium_bin2base64(text.data(), text.size(), reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                    sodium_base64_VARIANT_ORIGINAL);
  text.pop_back();
  return text;
}

// Ann (1) and bob (2), three sites each, in a file that is either made
// protected or converted once filled.
class ProtectedFileTest : public test::StoreTest {
 protected:
  void Fill(bool convert) {
    context.PasswordLimits = kQuick;
    context.FileIdentity.clear();
    context.DataCipher.SetSecret(test::kDataKey);
    FileInfo header(context);
    if (convert) {
      header.SetEncryptionKey(test::kDataKey);
    } else {
      FileProtection::Create(context, header, kRecovery);
    }
    int16_t last = 0;
    WebUsers(context).CreateUser(last, "ann", "ann password");
    WebUsers(context).CreateUser(last, "bob", "bob password");
    header.SetLastUserID(last);
    for (const char* name : {"a1", "b1", "a2", "b2", "a3", "b3"}) AddSite(name[0] == 'a' ? 1 : 2, name);
    if (convert) FileProtection::Convert(context, kRecovery);
  }

  // A context of another program with a copy of the file: only the header.
  StoreContext& Stranger() {
    stranger.PasswordFileName = context.PasswordFileName;
    stranger.HeaderCipher.SetSecret("Qv9#kT2z");
    header = std::make_unique<FileInfo>(stranger);
    FileProtection::Prepare(stranger, *header);
    return stranger;
  }

  void Damage(const std::function<void(std::string&)>& change) {
    std::string bytes = FileBytes();
    change(bytes);
    test::WriteFileBytes(context.PasswordFileName, bytes);
  }

  StoreContext stranger;
  std::unique_ptr<FileInfo> header;
};

// Neither the data key, nor a password, nor the recovery key, nor a key
// derived from them lies in the file, as bytes or as Base64.
TEST_F(ProtectedFileTest, HoldsNoSecretInAnyForm) {
  for (bool convert : {false, true}) {
    Fill(convert);
    std::vector<std::string> secrets = {"ann password", "bob password", kRecovery, test::kDataKey,
                                        std::string(reinterpret_cast<const char*>(context.DataCipher.Key().Data()), 32)};
    for (int16_t user : {1, 2}) {
      std::string slot = FileBytes().substr((user - 1) * 256, 256);
      DecryptBlock(context, slot, true, (user - 1) * 256);
      int16_t pos = 4 + static_cast<int16_t>(slot[2]);
      const std::string wrap = UnpackString(pos, slot);
      unsigned char derived[32];
      ASSERT_EQ(crypto_pwhash(derived, 32, user == 1 ? "ann password" : "bob password", 12,
                              reinterpret_cast<const unsigned char*>(wrap.data()) + 3, kQuick.passes,
                              size_t{kQuick.mebibytes} << 20, crypto_pwhash_ALG_ARGON2ID13), 0);
      secrets.emplace_back(reinterpret_cast<const char*>(derived), 32);
    }
    const std::string bytes = FileBytes();
    for (const std::string& secret : secrets) {
      EXPECT_EQ(bytes.find(secret), std::string::npos) << Base64(secret);
      EXPECT_EQ(bytes.find(Base64(secret).substr(0, 40)), std::string::npos) << Base64(secret);
    }
    std::filesystem::remove(context.PasswordFileName);
  }
}

// A copy on another machine: the names are listed, nothing else opens
// without a password or the recovery key.
TEST_F(ProtectedFileTest, OpensOnlyWithAPasswordOrTheRecoveryKey) {
  Fill(true);
  StoreContext& copy = Stranger();
  WebUsers users(copy);
  users.Load();
  ASSERT_EQ(users.Count(), 2);
  EXPECT_EQ(test::ErrorNumberOf([&] { WebRecord(copy).ListSites(1); }), err::kCorruptedFile);
  EXPECT_FALSE(users.CheckPassword(1, "bob password"));
  EXPECT_FALSE(FileProtection::Unlock(copy, *header, test::kDataKey + "x"));
  EXPECT_EQ(test::ErrorNumberOf([&] { WebRecord(copy).ListSites(1); }), err::kCorruptedFile);
  ASSERT_TRUE(users.CheckPassword(2, "bob password"));
  EXPECT_EQ(WebRecord(copy).ListSites(2).size(), 3u);
  FileProtection::Lock(copy);
  ASSERT_TRUE(FileProtection::Unlock(copy, *header, kRecovery));
  EXPECT_EQ(ListSites(1), (std::vector<std::string>{"a1", "a2", "a3"}));
  EXPECT_EQ(test::ErrorNumberOf([&] { FileProtection::Convert(copy, ""); }), err::kInvalidArgument);
}

// Users and sites moved down by deletions are sealed anew for their places;
// a new password opens the file, the old one no longer.
TEST_F(ProtectedFileTest, ChangesKeepEveryoneOpening) {
  Fill(false);
  WebUsers users(context);
  int16_t last = 2;
  users.CreateUser(last, "cid", "cid password");
  users.ChangePassword(3, "cid new");
  WebRecord(context).DeleteSite({1, 1, "a1"});
  users.DeleteUserWithSites(1, "ann");
  StoreContext& copy = Stranger();
  WebUsers theirs(copy);
  EXPECT_FALSE(theirs.CheckPassword(2, "cid password"));
  ASSERT_TRUE(theirs.CheckPassword(2, "cid new"));
  ASSERT_TRUE(theirs.CheckPassword(1, "bob password"));
  EXPECT_EQ(WebRecord(copy).ListSites(2).size(), 3u);
}

// A program that opened the file before it was protected cannot read it
// and writes nothing into it.
TEST_F(ProtectedFileTest, AProgramThatOpenedItBeforeWritesNothing) {
  StoreContext stale;
  test::KeyContext(stale);
  stale.PasswordFileName = context.PasswordFileName;
  Fill(true);
  const std::string before = FileBytes();
  int16_t index = -1;
  EXPECT_EQ(test::ErrorNumberOf([&] { test::MakeSite(stale, "late").Save(1, index); }), err::kCorruptedFile);
  EXPECT_EQ(FileBytes(), before);
}

struct Tampering {
  const char* name;
  std::function<void(std::string&)> change;
  std::string problem;  // the start of what --check with the key says
};

void PrintTo(const Tampering& t, std::ostream* out) { *out << t.name; }

class TamperingTest : public ProtectedFileTest, public ::testing::WithParamInterface<Tampering> {};

// Refused by the store, reported by the check, never read as sound.
TEST_P(TamperingTest, IsRefusedAndReported) {
  Fill(false);
  Damage(GetParam().change);
  StoreContext& copy = Stranger();
  ASSERT_TRUE(FileProtection::Unlock(copy, *header, kRecovery));
  EXPECT_EQ(test::ErrorNumberOf([&] { WebRecord(copy).ListSites(1); }), err::kCorruptedFile);
  StoreContext checking;
  const FileCheck::Result result = FileCheck(checking).Run(context.PasswordFileName, kRecovery);
  ASSERT_FALSE(result.problems.empty());
  EXPECT_EQ(result.problems[0].rfind(GetParam().problem, 0), 0u) << result.problems[0];
}

INSTANTIATE_TEST_SUITE_P(
    SlotsMoved, TamperingTest,
    ::testing::Values(
        Tampering{"swapped", [](std::string& b) { std::swap_ranges(b.begin() + 4096, b.begin() + 6144, b.begin() + 6144); },
                  "site slot 1:"},
        Tampering{"copied", [](std::string& b) { b.replace(6144, 2048, b.substr(4096, 2048)); }, "site slot 2:"},
        Tampering{"cut short", [](std::string& b) { b.resize(b.size() - 2048); }, "the file ends after site slot 5"}));

// A damaged wrap is told and keeps its user out; the others log in.
TEST_F(ProtectedFileTest, ADamagedWrapTouchesNothingElse) {
  Fill(false);
  Damage([](std::string& b) { b[40] = b[40] == 'A' ? 'B' : 'A'; });
  StoreContext checking;
  const FileCheck::Result result = FileCheck(checking).Run(context.PasswordFileName);
  EXPECT_EQ(result.problems, std::vector<std::string>{"user slot 1: cannot be decrypted (damaged, or not written "
                                                      "with this file's key)"});
  EXPECT_FALSE(result.contentsChecked);
  WebUsers users(Stranger());
  EXPECT_EQ(test::ErrorNumberOf([&] { users.CheckPassword(1, "ann password"); }), err::kCorruptedFile);
  ASSERT_TRUE(users.CheckPassword(2, "bob password"));
  EXPECT_EQ(WebRecord(stranger).ListSites(2).size(), 3u);
}

}  // namespace
}  // namespace ostrel
