#include "support/OstrelError.h"

namespace ostrel {

namespace {
std::string WhatText(int32_t number, const std::string& description) {
  std::string text = "error " + std::to_string(number);
  if (!description.empty()) text += ": " + description;
  return text;
}
}  // namespace

OstrelError::OstrelError(int32_t number, std::string description)
    : std::runtime_error(WhatText(number, description)),
      number_(number),
      description_(std::move(description)) {}

}  // namespace ostrel
