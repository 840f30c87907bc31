#pragma once

#include <cstddef>
#include <string>

namespace ostrel {

// A 256-bit key in libsodium's guarded memory: locked into RAM (never
// swapped), fenced by guard pages, wiped when it is freed. Move-only; a
// moved-from key holds nothing. Raises err::kOutOfMemory when the memory
// cannot be had.
class SecretKey {
 public:
  static constexpr size_t kBytes = 32;

  SecretKey();
  ~SecretKey();
  SecretKey(SecretKey&& other) noexcept;
  SecretKey& operator=(SecretKey&& other) noexcept;
  SecretKey(const SecretKey&) = delete;
  SecretKey& operator=(const SecretKey&) = delete;

  // A key from the system's random source.
  static SecretKey Random();

  unsigned char* Data() { return mBytes; }
  const unsigned char* Data() const { return mBytes; }
  // Zeroes the bytes (the memory stays held).
  void Wipe();

 private:
  unsigned char* mBytes = nullptr;
};

// `count` bytes from the system's random source.
std::string RandomBytes(size_t count);

}  // namespace ostrel
