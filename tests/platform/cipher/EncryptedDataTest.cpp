#include "platform/cipher/EncryptedData.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"
#include "tests/common/ErrorNumberOf.h"

namespace ostrel {
namespace {

class EncryptedDataTest : public ::testing::Test {
 protected:
  void SetUp() override { cipher_.SetSecret("correct horse"); }

  std::string EncryptText(const std::string& content) {
    cipher_.SetContent(content);
    return cipher_.Encrypt();
  }

  EncryptedData cipher_;
};

TEST_F(EncryptedDataTest, SameContentTwiceGivesDifferentTextsThatBothDecrypt) {
  std::string a = EncryptText("user\x01pass");
  std::string b = EncryptText("user\x01pass");
  EXPECT_NE(a, b);
  cipher_.SetContent("");
  cipher_.Decrypt(a);
  EXPECT_EQ(cipher_.Content(), "user\x01pass");
  cipher_.SetContent("");
  cipher_.Decrypt(b);
  EXPECT_EQ(cipher_.Content(), "user\x01pass");
}

// Nonces are drawn ahead: a forked process must not use those its parent
// will use next (the same key and nonce twice would reveal both contents).
TEST_F(EncryptedDataTest, AForkedProcessDrawsNoncesOfItsOwn) {
  EncryptText("draws the first nonces");
  int channel[2];
  ASSERT_EQ(::pipe(channel), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    const std::string text = EncryptText("x");
    ::_exit(::write(channel[1], text.data(), 32) == 32 ? 0 : 1);
  }
  std::string theirs(32, '\0');
  ASSERT_EQ(::read(channel[0], theirs.data(), 32), 32);
  ::waitpid(child, nullptr, 0);
  EXPECT_NE(EncryptText("x").substr(0, 32), theirs);  // the nonce's Base64
}

TEST_F(EncryptedDataTest, TextIsBase64OfThePredictedLength) {
  for (int n : {0, 1, 16, 152, 153, 1496, 1497}) {
    std::string text = EncryptText(std::string(n, '\0'));
    EXPECT_EQ(static_cast<int>(text.size()), EncryptedData::TextLength(n)) << n;
    EXPECT_EQ(text.find_first_not_of(
                  "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="),
              std::string::npos);
  }
  EXPECT_EQ(EncryptedData::MaxContentBytes(256), 152);
  EXPECT_LE(EncryptedData::TextLength(152), 256);
  EXPECT_GT(EncryptedData::TextLength(153), 256);
  EXPECT_LE(EncryptedData::TextLength(1496), 2048);
  EXPECT_GT(EncryptedData::TextLength(1497), 2048);
}

TEST_F(EncryptedDataTest, AcceptsNulPaddingAfterTheText) {
  std::string text = EncryptText("site record");
  cipher_.Decrypt(text + std::string(2048 - text.size(), '\0'));
  EXPECT_EQ(cipher_.Content(), "site record");
}

TEST_F(EncryptedDataTest, EveryChangedCharacterIsDetected) {
  std::string content(100, 'v');
  std::string slot = EncryptText(content);
  slot.resize(256, '\0');
  for (size_t i = 0; i < slot.size(); ++i) {
    std::string damaged = slot;
    damaged[i] = static_cast<char>(damaged[i] ^ 0x01);
    cipher_.SetContent("untouched");
    EXPECT_EQ(test::ErrorNumberOf([&] { cipher_.Decrypt(damaged); }), err::kCipherBadData) << i;
    EXPECT_EQ(cipher_.Content(), "untouched");
  }
}

TEST_F(EncryptedDataTest, WrongKeyIsDetected) {
  std::string text = EncryptText("secret");
  EncryptedData other;
  other.SetSecret("correct horsE");
  EXPECT_EQ(test::ErrorNumberOf([&] { other.Decrypt(text); }), err::kCipherBadData);
  other.SetSecret("correct horse");
  other.Decrypt(text);
  EXPECT_EQ(other.Content(), "secret");
}

TEST_F(EncryptedDataTest, CutOrEmptyTextIsDetected) {
  std::string text = EncryptText("secret");
  EXPECT_EQ(test::ErrorNumberOf([&] { cipher_.Decrypt(text.substr(0, text.size() - 4)); }),
            err::kCipherBadData);
  EXPECT_EQ(test::ErrorNumberOf([&] { cipher_.Decrypt(""); }), err::kCipherBadData);
  EXPECT_EQ(test::ErrorNumberOf([&] { cipher_.Decrypt(std::string(256, '\0')); }), err::kCipherBadData);
}

TEST(EncryptedDataWithoutSecret, RefusesToEncryptOrDecrypt) {
  EncryptedData cipher;
  cipher.SetContent("x");
  EXPECT_EQ(test::ErrorNumberOf([&] { cipher.Encrypt(); }), err::kCipherNoSecret);
  EXPECT_EQ(test::ErrorNumberOf([&] { cipher.Decrypt("AAAA"); }), err::kCipherNoSecret);
}

TEST(EncryptedDataSecret, SameSecretInTwoObjectsGivesTheSameKey) {
  EncryptedData writer;
  EncryptedData reader;
  writer.SetSecret(std::string("k\0ey with nul", 13));
  reader.SetSecret(std::string("k\0ey with nul", 13));
  writer.SetContent(std::string("\0\xff\x80", 3));
  reader.Decrypt(writer.Encrypt());
  EXPECT_EQ(reader.Content(), std::string("\0\xff\x80", 3));
  reader.SetSecret(std::string("k\0ey with nuL", 13));
  EXPECT_EQ(test::ErrorNumberOf([&] { reader.Decrypt(writer.Encrypt()); }), err::kCipherBadData);
}

}  // namespace
}  // namespace ostrel
