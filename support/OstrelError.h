#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace ostrel {

// The one exception type of the system: a numbered error (see
// ErrorNumbers.h) and, for errors that have no fixed text of their own, a
// description a person can read. Application errors carry no description.
class OstrelError : public std::runtime_error {
 public:
  explicit OstrelError(int32_t number, std::string description = {});

  int32_t Number() const noexcept { return number_; }
  const std::string& Description() const noexcept { return description_; }

 private:
  int32_t number_;
  std::string description_;
};

}  // namespace ostrel
