#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "support/OstrelError.h"

// The one place where what the browser reports is turned into numbered
// errors.
namespace ostrel::devtools {

// An error answer to a command ({"code":..,"message":..}) of method:
//   a context, object or node that no longer exists  -> err::kObjectDisconnected
//   a session or target that no longer exists        -> err::kBrowserGone
//   anything else                                     -> err::kBrowserProtocol
OstrelError ErrorFromAnswer(const std::string& method, const nlohmann::json& error);

// Whether an error of ErrorFromAnswer says the script was never started (its
// context was not found), as opposed to one that met the page being left
// while it ran: only the first may be run again in the page that followed.
bool NeverStarted(const OstrelError& error);

// An exception thrown by script (Runtime exceptionDetails):
//   a SecurityError (another site's document)        -> err::kAccessDenied
//   an error raised by our own page functions with a
//   message "ostrel:<number>"                         -> that number
//   anything else                                     -> err::kScriptError
OstrelError ErrorFromException(const std::string& method, const nlohmann::json& details);

}  // namespace ostrel::devtools
