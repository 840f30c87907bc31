#include "platform/cipher/EncryptedData.h"

#include <pthread.h>
#include <sodium.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/cipher/Base64.h"

#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

namespace {

static_assert(EncryptedData::kKeyBytes == crypto_aead_xchacha20poly1305_ietf_KEYBYTES);
static_assert(EncryptedData::kKeyBytes == SecretKey::kBytes);
static_assert(EncryptedData::kNonceBytes == crypto_aead_xchacha20poly1305_ietf_NPUBBYTES);
static_assert(EncryptedData::kTagBytes == crypto_aead_xchacha20poly1305_ietf_ABYTES);

// Key derivation: Argon2id, 2 passes over 19 MiB: about 25 ms on an idle
// core here, and under 100 ms with both cores busy. The salt is fixed
// because the key is derived once per secret and must open every block ever
// written under it; the file layout has no place for a per-file salt.
constexpr unsigned long long kOpsLimit = 2;
constexpr size_t kMemLimit = size_t{19} << 20;
constexpr unsigned char kSalt[crypto_pwhash_SALTBYTES] = {
    'O', 's', 't', 'r', 'e', 'l', ' ', 's', 'l', 'o', 't', ' ', 'k', 'e', 'y', '1'};

constexpr int kBase64 = sodium_base64_VARIANT_ORIGINAL;

// Counts the forks of this process: a child draws its nonces anew.
std::atomic<unsigned> gForks{0};
[[maybe_unused]] const int gForksCounted = pthread_atfork(nullptr, nullptr, [] { gForks.fetch_add(1); });

void StartLibrary() {
  if (sodium_init() < 0) {
    throw OstrelError(err::kCipherNoSecret, "the encryption library cannot start");
  }
}

OstrelError BadData(const char* why) { return OstrelError(err::kCipherBadData, why); }

// True when every byte of `bytes` is NUL; compares a word at a time, since
// it runs over the padding of every slot read.
bool AllNul(std::string_view bytes) {
  uint64_t any = 0;
  size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes.data() + i, 8);
    any |= word;
  }
  for (; i < bytes.size(); ++i) any |= static_cast<unsigned char>(bytes[i]);
  return any == 0;
}

}  // namespace

EncryptedData::EncryptedData() { StartLibrary(); }

EncryptedData::~EncryptedData() { sodium_memzero(plain_.data(), plain_.size()); }

void EncryptedData::SetSecret(std::string_view secret) {
  SecretKey key;
  if (crypto_pwhash(key.Data(), kKeyBytes, secret.data(), secret.size(), kSalt,
                    kOpsLimit, kMemLimit, crypto_pwhash_ALG_ARGON2ID13) != 0) {
    throw OstrelError(err::kCipherNoSecret, "key derivation ran out of memory");
  }
  key_ = std::move(key);
  hasKey_ = true;
}

void EncryptedData::SetKey(const SecretKey& key) {
  std::memcpy(key_.Data(), key.Data(), kKeyBytes);
  hasKey_ = true;
}

void EncryptedData::ForgetKey() {
  key_.Wipe();
  hasKey_ = false;
  sodium_memzero(plain_.data(), plain_.size());
  sodium_memzero(content_.data(), content_.size());
  content_.clear();
}

const SecretKey& EncryptedData::Key() const {
  if (!hasKey_) throw OstrelError(err::kCipherNoSecret, "no key was set");
  return key_;
}

// The text format: Base64 (standard alphabet, '=' padding, no line breaks)
// of
//   nonce (24 random bytes) | cipher text (as long as Content) | tag (16)
// where cipher text and tag are XChaCha20-Poly1305 (IETF) of Content under
// the derived key and the nonce, with the associated data given (none by
// default). So a content of n
// bytes gives TextLength(n) = 4 * ceil((n + 40) / 3) characters.
std::string EncryptedData::Encrypt(std::string_view associated) const {
  if (!hasKey_) throw OstrelError(err::kCipherNoSecret, "encrypt before a secret was set");
  std::string sealed(kNonceBytes + content_.size() + kTagBytes, '\0');
  auto* nonce = reinterpret_cast<unsigned char*>(sealed.data());
  const unsigned forks = gForks.load();
  if (noncesUsed_ + kNonceBytes > nonces_.size() || forks != noncesForks_) {
    randombytes_buf(nonces_.data(), nonces_.size());
    noncesUsed_ = 0;
    noncesForks_ = forks;
  }
  std::memcpy(nonce, nonces_.data() + noncesUsed_, kNonceBytes);
  noncesUsed_ += kNonceBytes;
  unsigned long long sealedLength = 0;
  crypto_aead_xchacha20poly1305_ietf_encrypt(
      nonce + kNonceBytes, &sealedLength,
      reinterpret_cast<const unsigned char*>(content_.data()), content_.size(),
      reinterpret_cast<const unsigned char*>(associated.data()), associated.size(), nullptr, nonce,
      key_.Data());

  std::string text(sodium_base64_encoded_len(sealed.size(), kBase64), '\0');
  sodium_bin2base64(text.data(), text.size(), nonce, sealed.size(), kBase64);
  text.resize(text.size() - 1);  // the encoder's terminating NUL
  return text;
}

void EncryptedData::Decrypt(std::string_view text, std::string_view associated) {
  if (!hasKey_) throw OstrelError(err::kCipherNoSecret, "decrypt before a secret was set");
  const size_t end = text.find('\0');
  if (end != std::string_view::npos) {
    if (!AllNul(text.substr(end))) throw BadData("characters after the padding");
    text = text.substr(0, end);
  }

  sealed_.resize(std::max(sealed_.size(), text.size() / 4 * 3));
  const std::ptrdiff_t sealedLength = DecodeBase64(text, sealed_.data());
  if (sealedLength < 0) throw BadData("the text is not Base64");
  if (sealedLength < kNonceBytes + kTagBytes) throw BadData("the text is too short");

  const unsigned char* nonce = sealed_.data();
  const size_t plainLength = static_cast<size_t>(sealedLength) - kNonceBytes - kTagBytes;
  plain_.resize(std::max(plain_.size(), plainLength));
  if (crypto_aead_xchacha20poly1305_ietf_decrypt(
          plain_.data(), nullptr, nullptr, nonce + kNonceBytes,
          static_cast<unsigned long long>(sealedLength) - kNonceBytes,
          reinterpret_cast<const unsigned char*>(associated.data()), associated.size(), nonce,
          key_.Data()) != 0) {
    throw BadData("wrong key or damaged text");
  }
  content_.assign(reinterpret_cast<const char*>(plain_.data()), plainLength);
}

}  // namespace ostrel
