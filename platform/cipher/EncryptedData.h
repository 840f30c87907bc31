#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel {

// Password-based encryption of short texts. SetSecret derives a 256-bit key
// from the password with Argon2id (done once per SetSecret, never per
// text); Encrypt seals Content with XChaCha20-Poly1305 under a fresh random
// nonce and returns Base64 text (the layout is described in
// EncryptedData.cpp); Decrypt authenticates before it gives anything back,
// so a wrong key or any changed character is always a failure.
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

  // The current Content encrypted under the current key, as Base64 text
  // (never contains a NUL).
  std::string Encrypt() const;

  // Decrypts `text`, which may be followed by NUL padding, into Content.
  // On failure Content is left as it was.
  void Decrypt(std::string_view text);

 private:
  std::array<unsigned char, kKeyBytes> key_{};
  bool hasKey_ = false;
  std::string content_;
  // Reused between calls so that reading many slots allocates nothing.
  std::vector<unsigned char> sealed_;
  std::vector<unsigned char> plain_;
};

}  // namespace ostrel
