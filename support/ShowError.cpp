#include "support/ShowError.h"

#include <cctype>

#include "support/ErrorText.h"

namespace ostrel {

namespace {

// "the browser has gone" -> "The browser has gone."
std::string AsSentence(std::string text) {
  text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  const char last = text.back();
  if (last != '.' && last != '!' && last != '?') text += '.';
  return text;
}

}  // namespace

void ShowError(IMessageBox& box, int32_t number, const std::string& text) {
  box.Show(text.empty() ? ErrorText(number) : text);
}

std::string ErrorMessage(int32_t number, const std::string& description) {
  if (description.empty()) return ErrorText(number);
  return ErrorText(number) + "\n" + AsSentence(description);
}

void ReportError(IMessageBox& box, const OstrelError& error) {
  ShowError(box, error.Number(), ErrorMessage(error.Number(), error.Description()));
}

}  // namespace ostrel
