#pragma once

#include <string>

namespace ostrel {

// text with the ASCII letters a-z turned to A-Z; every other byte as it
// stands. Tag names and input types are ASCII: comparing them through this,
// never through the C library's toupper, keeps them apart from the process
// locale (under a Turkish locale toupper leaves 'i' as it is).
std::string UpperAscii(std::string text);
// The same, A-Z to a-z.
std::string LowerAscii(std::string text);

}  // namespace ostrel
