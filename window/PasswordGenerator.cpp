#include "window/PasswordGenerator.h"

#include <sodium.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace ostrel {

std::string PasswordGenerator::Generate(const Rules& rules) {
  std::vector<std::string> kinds;
  if (rules.upper) kinds.emplace_back("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  if (rules.lower) kinds.emplace_back("abcdefghijklmnopqrstuvwxyz");
  if (rules.digits) kinds.emplace_back("0123456789");
  if (rules.symbols) kinds.emplace_back(kSymbols);
  if (kinds.empty()) return "";
  if (sodium_init() < 0) throw std::runtime_error("the random source cannot be started");
  std::string alphabet;
  for (const std::string& kind : kinds) alphabet += kind;
  const int length = std::clamp(rules.length, kMinLength, kMaxLength);
  // Drawn again until every kind chosen is in it: each such password is
  // as likely as any other.
  std::string password(static_cast<size_t>(length), '\0');
  for (;;) {
    for (char& ch : password) {
      ch = alphabet[randombytes_uniform(static_cast<uint32_t>(alphabet.size()))];
    }
    const bool all = std::all_of(kinds.begin(), kinds.end(), [&](const std::string& kind) {
      return password.find_first_of(kind) != std::string::npos;
    });
    if (all) return password;
  }
}

}  // namespace ostrel
