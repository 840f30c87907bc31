#include "support/OstrelError.h"

namespace ostrel {

namespace {
std::string WhatText(int32_t number, const std::string& description, const std::string& explanation) {
  std::string text = "error " + std::to_string(number);
  if (!description.empty()) text += ": " + description;
  if (!explanation.empty()) text += " (" + explanation + ")";
  return text;
}
}  // namespace

OstrelError::OstrelError(int32_t number, std::string description, std::string explanation)
    : std::runtime_error(WhatText(number, description, explanation)),
      number_(number),
      description_(std::move(description)),
      explanation_(std::move(explanation)) {}

}  // namespace ostrel
