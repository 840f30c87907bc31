#pragma once

#include <string>

namespace ostrel {

// The built-in 8-character key that HeaderCipher is keyed with, built at run
// time from character codes. Every installation that reads the same files
// uses the same value.
std::string BuildBuiltInKey();

}  // namespace ostrel
