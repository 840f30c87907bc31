#pragma once

#include <cstdint>
#include <string>

#include "support/MessageBox.h"

namespace ostrel {

// Reports an error to the user: one modal message box with an OK button
// only, shown through `box` (which bears the application's title). The
// message is `text` when it is not empty, otherwise ErrorText(number).
// Returns when the user has closed the box. Never fails on any number.
void ShowError(IMessageBox& box, int32_t number, const std::string& text);

}  // namespace ostrel
