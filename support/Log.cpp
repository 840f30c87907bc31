#include "support/Log.h"

#include <iostream>

namespace ostrel {

void Log(const std::string& line) { std::cerr << "ostrel: " << line << std::endl; }

}  // namespace ostrel
