#pragma once

#include <string>

namespace ostrel {

// Writes one line to the program's log (standard error), prefixed with
// "ostrel: ". For what a developer may need and a person need not read:
// dropped browser messages, the technical side of a reported error.
void Log(const std::string& line);

}  // namespace ostrel
