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

// The message for a caught error: ErrorText() of its number and, on the
// next line, its explanation, or else (for numbers other than the
// application's own, whose fixed texts say it all) the plain sentence that
// PlainExplanation() gives for its number, when there is one. The
// description never reaches the person.
std::string ErrorMessage(const OstrelError& error);

// A plain sentence for the kinds of failure that the platform's numbers
// stand for (the browser has gone, a file is missing, the disk is full...);
// empty for the numbers that have none.
std::string PlainExplanation(int32_t number);

// How a user action reports a failure it caught: the error goes to the log
// (LogError), then ShowError with the number and ErrorMessage() as the text.
void ReportError(IMessageBox& box, const OstrelError& error);

// Writes one line about the error to the log (standard error): its number,
// description and explanation.
void LogError(const OstrelError& error);

}  // namespace ostrel
