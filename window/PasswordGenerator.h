#pragma once

#include <string>

namespace ostrel {

// New passwords from the system's random source (libsodium's
// randombytes_uniform, so every character is drawn without bias).
class PasswordGenerator {
 public:
  static constexpr int kDefaultLength = 20;
  static constexpr int kMinLength = 4;
  static constexpr int kMaxLength = 128;

  // Which characters a password is made of; each kind chosen appears at
  // least once (when the password is long enough to hold them all).
  struct Rules {
    int length = kDefaultLength;
    bool upper = true;    // A-Z
    bool lower = true;    // a-z
    bool digits = true;   // 0-9
    bool symbols = true;  // kSymbols
  };
  // Symbols that sites commonly accept in passwords (no blank, no quote,
  // no backslash).
  static constexpr const char* kSymbols = "!#$%&*+-.:;=?@^_~";

  // A password following rules; the empty string when no kind of
  // character is chosen. A length outside kMinLength..kMaxLength is brought
  // inside.
  static std::string Generate(const Rules& rules);
};

}  // namespace ostrel
