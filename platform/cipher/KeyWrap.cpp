#include "platform/cipher/KeyWrap.h"

#include <sodium.h>

#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

namespace {

constexpr size_t kLimitBytes = 3;
constexpr size_t kSaltBytes = crypto_pwhash_SALTBYTES;
constexpr size_t kNonceBytes = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
constexpr size_t kTagBytes = crypto_aead_xchacha20poly1305_ietf_ABYTES;
constexpr size_t kHeadBytes = kLimitBytes + kSaltBytes;  // the associated data
static_assert(KeyWrap::kBytes == kHeadBytes + kNonceBytes + SecretKey::kBytes + kTagBytes);

const unsigned char* Bytes(std::string_view text) {
  return reinterpret_cast<const unsigned char*>(text.data());
}

// The wrapping key of `password` under the limits and salt of `head`.
SecretKey Derive(std::string_view password, std::string_view head, WrapLimits limits) {
  SecretKey key;
  if (crypto_pwhash(key.Data(), SecretKey::kBytes, password.data(), password.size(),
                    Bytes(head) + kLimitBytes, limits.passes, size_t{limits.mebibytes} << 20,
                    crypto_pwhash_ALG_ARGON2ID13) != 0) {
    throw OstrelError(err::kCipherNoSecret, "key derivation ran out of memory",
                      "There is not enough memory to open the password file; close other programs "
                      "and try again.");
  }
  return key;
}

}  // namespace

std::string KeyWrap::Wrap(const SecretKey& key, std::string_view password, WrapLimits limits) {
  std::string wrap(kBytes, '\0');
  wrap[0] = static_cast<char>(limits.passes);
  wrap[1] = static_cast<char>(limits.mebibytes & 0xFF);
  wrap[2] = static_cast<char>(limits.mebibytes >> 8);
  auto* out = reinterpret_cast<unsigned char*>(wrap.data());
  randombytes_buf(out + kLimitBytes, kSaltBytes);
  randombytes_buf(out + kHeadBytes, kNonceBytes);
  const SecretKey wrapping = Derive(password, wrap, limits);
  crypto_aead_xchacha20poly1305_ietf_encrypt(out + kHeadBytes + kNonceBytes, nullptr, key.Data(),
                                             SecretKey::kBytes, out, kHeadBytes, nullptr,
                                             out + kHeadBytes, wrapping.Data());
  return wrap;
}

WrapLimits KeyWrap::Limits(std::string_view wrap) {
  if (wrap.size() != kBytes) {
    throw OstrelError(err::kCipherBadData, "a key wrap of " + std::to_string(wrap.size()) + " bytes");
  }
  WrapLimits limits;
  limits.passes = static_cast<uint8_t>(wrap[0]);
  limits.mebibytes = static_cast<uint16_t>(static_cast<uint8_t>(wrap[1]) | static_cast<uint8_t>(wrap[2]) << 8);
  if (limits.passes < crypto_pwhash_OPSLIMIT_MIN || limits.passes > kMaxPasses || limits.mebibytes < 1 ||
      limits.mebibytes > kMaxMebibytes) {
    throw OstrelError(err::kCipherBadData, "a key wrap with limits out of range");
  }
  return limits;
}

bool KeyWrap::Unwrap(std::string_view wrap, std::string_view password, SecretKey& key) {
  const WrapLimits limits = Limits(wrap);
  const SecretKey wrapping = Derive(password, wrap, limits);
  SecretKey opened;
  const unsigned char* in = Bytes(wrap);
  if (crypto_aead_xchacha20poly1305_ietf_decrypt(opened.Data(), nullptr, nullptr, in + kHeadBytes + kNonceBytes,
                                                 SecretKey::kBytes + kTagBytes, in, kHeadBytes,
                                                 in + kHeadBytes, wrapping.Data()) != 0) {
    return false;
  }
  key = std::move(opened);
  return true;
}

}  // namespace ostrel
