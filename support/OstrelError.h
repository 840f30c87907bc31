#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace ostrel {

// The one exception type of the system: a numbered error (see
// ErrorNumbers.h) with two optional texts:
//   description  what failed, in the program's own terms (a protocol method,
//                a file's path, a position); it goes to the log only;
//   explanation  what happened, in one plain sentence for the person using
//                Ostrel; shown under the numbered text (see ReportError).
// Application errors carry neither: their fixed texts say it all.
class OstrelError : public std::runtime_error {
 public:
  explicit OstrelError(int32_t number, std::string description = {}, std::string explanation = {});

  int32_t Number() const noexcept { return number_; }
  const std::string& Description() const noexcept { return description_; }
  const std::string& Explanation() const noexcept { return explanation_; }

 private:
  int32_t number_;
  std::string description_;
  std::string explanation_;
};

}  // namespace ostrel
