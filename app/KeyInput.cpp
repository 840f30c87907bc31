#include "app/KeyInput.h"

#include <termios.h>
#include <unistd.h>

#include <fstream>
#include <iostream>

#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

namespace {

std::string WithoutLineEnd(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace

std::optional<std::string> ReadKey(const std::optional<std::string>& keyFile, const std::string& prompt) {
  std::string line;
  if (keyFile) {
    std::ifstream in(*keyFile, std::ios::binary);
    if (!in) {
      throw OstrelError(err::kFileMissing, "key file " + *keyFile,
                        "The key file " + *keyFile + " cannot be read.");
    }
    std::getline(in, line);
    return WithoutLineEnd(line);
  }
  if (!::isatty(STDIN_FILENO)) return std::nullopt;
  std::cerr << prompt << std::flush;
  termios saved{};
  ::tcgetattr(STDIN_FILENO, &saved);
  termios quiet = saved;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  const bool read = static_cast<bool>(std::getline(std::cin, line));
  ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
  std::cerr << std::endl;
  if (!read) return std::nullopt;
  return WithoutLineEnd(line);
}

}  // namespace ostrel
