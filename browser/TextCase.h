#pragma once

#include <string>

namespace ostrel {

// text with the ASCII letters a-z turned to A-Z; every other byte as it
// stands (tag names and input types are ASCII).
std::string UpperAscii(std::string text);

}  // namespace ostrel
