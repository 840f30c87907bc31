#pragma once

#include <cstdint>
#include <string>

#include "support/MessageBox.h"
#include "support/OstrelError.h"

namespace ostrel {

// Reports an error to the user: one modal message box with an OK button
// only, shown through `box` (which bears the application's title). The
// message is `text` when it is not empty, otherwise ErrorText(number).
// Returns when the user has closed the box. Never fails on any number.
void ShowError(IMessageBox& box, int32_t number, const std::string& text);

// The message for a caught error: ErrorText() of its number and, on the next
// line, its description as a sentence when it has one. The application's own
// errors carry no description and so show their fixed texts alone.
std::string ErrorMessage(int32_t number, const std::string& description);

// How a user action reports a failure it caught: ShowError with the
// number and ErrorMessage() as the text.
void ReportError(IMessageBox& box, const OstrelError& error);

}  // namespace ostrel
