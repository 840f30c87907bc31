#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cipher/SecretKey.h"

namespace ostrel {

// Password-based encryption of short texts. SetSecret derives a 256-bit key
// from the password with Argon2id (done once per SetSecret, never per
// text); Encrypt seals Content with XChaCha20-Poly1305 under a fresh random
// nonce and returns Base64 text (the layout is described in
// EncryptedData.cpp); Decrypt authenticates before it gives anything back,
// so a wrong key or any changed character is always a failure.
//
// The key may also be given as it is (SetKey): the random data key of a
// protected password file. Encrypt and Decrypt take associated data, which
// is authenticated with the text but not stored in it: a text opens only
// with the same associated data it was sealed with (empty by default).
// The key lives in guarded memory (SecretKey) and is wiped by ForgetKey and
// on destruction.
//
// Failures raise OstrelError: err::kCipherNoSecret when no secret has been
// set (or the library cannot start), err::kCipherBadData when a text cannot
// be decoded or authenticated. The object stays usable after a failure.
class EncryptedData {
 public:
  static constexpr int32_t kKeyBytes = 32;
  static constexpr int32_t kNonceBytes = 24;
  static constexpr int32_t kTagBytes = 16;

  // Length of the text Encrypt returns for a content of `contentBytes`.
  static constexpr int32_t TextLength(int32_t contentBytes) {
    return 4 * ((contentBytes + kNonceBytes + kTagBytes + 2) / 3);
  }
  // The largest content whose text is at most `textLength` characters.
  static constexpr int32_t MaxContentBytes(int32_t textLength) {
    return textLength / 4 * 3 - kNonceBytes - kTagBytes;
  }

  EncryptedData();
  ~EncryptedData();
  EncryptedData(const EncryptedData&) = delete;
  EncryptedData& operator=(const EncryptedData&) = delete;

  void SetContent(std::string content) { content_ = std::move(content); }
  const std::string& Content() const { return content_; }

  // Replaces the key by the one derived from `secret` (any bytes).
  void SetSecret(std::string_view secret);
  // Replaces the key by a copy of `key`.
  void SetKey(const SecretKey& key);
  // Wipes the key and the last content: until the next SetSecret or SetKey
  // nothing can be encrypted or decrypted.
  void ForgetKey();
  bool HasKey() const { return hasKey_; }
  // The key in use; err::kCipherNoSecret when there is none.
  const SecretKey& Key() const;

  // The current Content encrypted under the current key, as Base64 text
  // (never contains a NUL).
  std::string Encrypt(std::string_view associated = {}) const;

  // Decrypts `text`, which may be followed by NUL padding, into Content.
  // On failure Content is left as it was.
  void Decrypt(std::string_view text, std::string_view associated = {});

 private:
  SecretKey key_;
  bool hasKey_ = false;
  std::string content_;
  // Reused between calls so that reading many slots allocates nothing.
  std::vector<unsigned char> sealed_;
  std::vector<unsigned char> plain_;
  // Random bytes drawn ahead for nonces: one system call for many slots
  // (a run of re-encrypted slots would otherwise pay one per slot); drawn
  // anew in a forked process, so that no two processes share a nonce.
  mutable std::array<unsigned char, 4096> nonces_{};
  mutable size_t noncesUsed_ = 4096;
  mutable unsigned noncesForks_ = 0;
};

}  // namespace ostrel
