#include "platform/cipher/EncryptedData.h"

#include <sodium.h>

#include <cstring>

#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

namespace {

static_assert(EncryptedData::kKeyBytes == crypto_aead_xchacha20poly1305_ietf_KEYBYTES);
static_assert(EncryptedData::kNonceBytes == crypto_aead_xchacha20poly1305_ietf_NPUBBYTES);
static_assert(EncryptedData::kTagBytes == crypto_aead_xchacha20poly1305_ietf_ABYTES);

// Key derivation: Argon2id, 3 passes over 32 MiB, about 50 ms here. The salt
// is fixed because the key is derived once per secret and must open every
// block ever written under it; there is no per-file salt in the file layout.
constexpr unsigned long long kOpsLimit = 3;
constexpr size_t kMemLimit = size_t{32} << 20;
constexpr unsigned char kSalt[crypto_pwhash_SALTBYTES] = {
    'O', 's', 't', 'r', 'e', 'l', ' ', 's', 'l', 'o', 't', ' ', 'k', 'e', 'y', '1'};

constexpr int kBase64 = sodium_base64_VARIANT_ORIGINAL;

void StartLibrary() {
  if (sodium_init() < 0) {
    throw OstrelError(err::kCipherNoSecret, "the encryption library cannot start");
  }
}

OstrelError BadData(const char* why) { return OstrelError(err::kCipherBadData, why); }

}  // namespace

EncryptedData::EncryptedData() { StartLibrary(); }

EncryptedData::~EncryptedData() { sodium_memzero(key_.data(), key_.size()); }

void EncryptedData::SetSecret(std::string_view secret) {
  std::array<unsigned char, kKeyBytes> key{};
  if (crypto_pwhash(key.data(), key.size(), secret.data(), secret.size(), kSalt,
                    kOpsLimit, kMemLimit, crypto_pwhash_ALG_ARGON2ID13) != 0) {
    throw OstrelError(err::kCipherNoSecret, "key derivation ran out of memory");
  }
  key_ = key;
  sodium_memzero(key.data(), key.size());
  hasKey_ = true;
}

// The text format: Base64 (standard alphabet, '=' padding, no line breaks)
// of
//   nonce (24 random bytes) | cipher text (as long as Content) | tag (16)
// where cipher text and tag are XChaCha20-Poly1305 (IETF) of Content under
// the derived key and the nonce, with no additional data. So a content of n
// bytes gives TextLength(n) = 4 * ceil((n + 40) / 3) characters.
std::string EncryptedData::Encrypt() const {
  if (!hasKey_) throw OstrelError(err::kCipherNoSecret, "encrypt before a secret was set");
  std::string sealed(kNonceBytes + content_.size() + kTagBytes, '\0');
  auto* nonce = reinterpret_cast<unsigned char*>(sealed.data());
  randombytes_buf(nonce, kNonceBytes);
  unsigned long long sealedLength = 0;
  crypto_aead_xchacha20poly1305_ietf_encrypt(
      nonce + kNonceBytes, &sealedLength,
      reinterpret_cast<const unsigned char*>(content_.data()), content_.size(),
      nullptr, 0, nullptr, nonce, key_.data());

  std::string text(sodium_base64_encoded_len(sealed.size(), kBase64), '\0');
  sodium_bin2base64(text.data(), text.size(), nonce, sealed.size(), kBase64);
  text.resize(text.size() - 1);  // the encoder's terminating NUL
  return text;
}

void EncryptedData::Decrypt(std::string_view text) {
  if (!hasKey_) throw OstrelError(err::kCipherNoSecret, "decrypt before a secret was set");
  size_t end = text.find('\0');
  if (end != std::string_view::npos) {
    if (text.find_first_not_of('\0', end) != std::string_view::npos) {
      throw BadData("characters after the padding");
    }
    text = text.substr(0, end);
  }

  std::string sealed(text.size() / 4 * 3 + 3, '\0');
  size_t sealedLength = 0;
  const char* textEnd = nullptr;
  if (sodium_base642bin(reinterpret_cast<unsigned char*>(sealed.data()), sealed.size(),
                        text.data(), text.size(), nullptr, &sealedLength, &textEnd,
                        kBase64) != 0 ||
      textEnd != text.data() + text.size()) {
    throw BadData("the text is not Base64");
  }
  if (sealedLength < static_cast<size_t>(kNonceBytes + kTagBytes)) {
    throw BadData("the text is too short");
  }

  const auto* nonce = reinterpret_cast<const unsigned char*>(sealed.data());
  std::string plain(sealedLength - kNonceBytes - kTagBytes, '\0');
  if (crypto_aead_xchacha20poly1305_ietf_decrypt(
          reinterpret_cast<unsigned char*>(plain.data()), nullptr, nullptr,
          nonce + kNonceBytes, sealedLength - kNonceBytes, nullptr, 0, nonce,
          key_.data()) != 0) {
    throw BadData("wrong key or damaged text");
  }
  content_ = std::move(plain);
}

}  // namespace ostrel
