#pragma once

#include <optional>
#include <string>

namespace ostrel {

// The encryption key for --protect and --check: the first line of
// `keyFile` when one is named (without its line end), else typed at the
// terminal without echo after `prompt` (nothing when standard input is not
// a terminal, or at end of input). A key file that cannot be read raises
// its file error.
std::optional<std::string> ReadKey(const std::optional<std::string>& keyFile, const std::string& prompt);

}  // namespace ostrel
