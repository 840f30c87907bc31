#include "platform/cipher/SecretKey.h"

#include <sodium.h>

#include <utility>

#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

namespace {

void StartLibrary() {
  if (sodium_init() < 0) throw OstrelError(err::kCipherNoSecret, "the encryption library cannot start");
}

}  // namespace

SecretKey::SecretKey() {
  StartLibrary();
  mBytes = static_cast<unsigned char*>(sodium_malloc(kBytes));
  if (mBytes == nullptr) throw OstrelError(err::kOutOfMemory, "no guarded memory for a key");
  sodium_memzero(mBytes, kBytes);
}

SecretKey::~SecretKey() {
  if (mBytes != nullptr) sodium_free(mBytes);
}

SecretKey::SecretKey(SecretKey&& other) noexcept : mBytes(std::exchange(other.mBytes, nullptr)) {}

SecretKey& SecretKey::operator=(SecretKey&& other) noexcept {
  if (this != &other) {
    if (mBytes != nullptr) sodium_free(mBytes);
    mBytes = std::exchange(other.mBytes, nullptr);
  }
  return *this;
}

SecretKey SecretKey::Random() {
  SecretKey key;
  randombytes_buf(key.mBytes, kBytes);
  return key;
}

void SecretKey::Wipe() {
  if (mBytes != nullptr) sodium_memzero(mBytes, kBytes);
}

std::string RandomBytes(size_t count) {
  StartLibrary();
  std::string bytes(count, '\0');
  randombytes_buf(bytes.data(), count);
  return bytes;
}

}  // namespace ostrel
