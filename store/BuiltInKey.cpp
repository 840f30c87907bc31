#include "store/BuiltInKey.h"

namespace ostrel {

std::string BuildBuiltInKey() {
  static constexpr int kCodes[] = {0x51, 0x76, 0x39, 0x23, 0x6B, 0x54, 0x32, 0x7A};
  std::string key;
  for (int code : kCodes) key.push_back(static_cast<char>(code));
  return key;
}

}  // namespace ostrel
