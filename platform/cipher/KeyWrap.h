#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/cipher/SecretKey.h"

namespace ostrel {

// A 256-bit key sealed under a key derived from a password: the wrap that a
// protected password file keeps per person (and once under its recovery
// key). Layout, 91 bytes:
//   passes (1 byte) | memory in MiB (2, low byte first) | salt (16) |
//   nonce (24) | sealed key (32) | tag (16)
// The wrapping key is Argon2id of the password with the wrap's own random
// salt and the limits stored in front of it, so limits can be raised later
// without touching older wraps; the sealing is XChaCha20-Poly1305 with the
// limits and salt as associated data. Nothing in a wrap tells anything
// about the password except by trying one.
struct WrapLimits {
  uint8_t passes = 0;
  uint16_t mebibytes = 0;
};

class KeyWrap {
 public:
  static constexpr size_t kBytes = 91;
  // What one derivation costs: 0.2 to 0.5 s on one core of the machines
  // Ostrel is built for (measured by bench_store).
  static constexpr WrapLimits kDefaultLimits{3, 96};
  // The most a stored wrap may ask for; above, it counts as damaged.
  static constexpr uint16_t kMaxMebibytes = 4096;
  static constexpr uint8_t kMaxPasses = 64;

  // `key` sealed under `password`, with a fresh salt and nonce. Raises
  // err::kCipherNoSecret when the derivation cannot get its memory.
  static std::string Wrap(const SecretKey& key, std::string_view password, WrapLimits limits);

  // Opens `wrap` with `password` into `key`: false when the password is not
  // the one it was made with (key left as it was). A wrap of the wrong size
  // or limits out of range raises err::kCipherBadData.
  static bool Unwrap(std::string_view wrap, std::string_view password, SecretKey& key);

  // The limits stored in `wrap`; err::kCipherBadData as for Unwrap.
  static WrapLimits Limits(std::string_view wrap);
};

}  // namespace ostrel
