#include "platform/devtools/DevToolsErrors.h"

#include "platform/devtools/JsonFields.h"
#include "support/ErrorNumbers.h"

namespace ostrel::devtools {

namespace {
bool Has(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }
}  // namespace

OstrelError ErrorFromAnswer(const std::string& method, const nlohmann::json& error) {
  std::string message = Str(error, "message");
  if (message.empty()) message = "unknown error";
  if (!Str(error, "data").empty()) message += " (" + Str(error, "data") + ")";
  std::string text = method + ": " + message;
  if (Has(message, "Session with given id not found") || Has(message, "No session with given id") ||
      Has(message, "No target with given id") || Has(message, "Target closed")) {
    return OstrelError(err::kBrowserGone, text);
  }
  if (Has(message, "Cannot find context") || Has(message, "Could not find object") ||
      Has(message, "Execution context was destroyed") || Has(message, "Inspected target navigated") ||
      Has(message, "Cannot find default execution context") || Has(message, "No node") ||
      Has(message, "Invalid remote object id") || Has(message, "Could not find node")) {
    return OstrelError(err::kObjectDisconnected, text);
  }
  return OstrelError(err::kBrowserProtocol, text);
}

bool NeverStarted(const OstrelError& error) {
  return error.Number() == err::kObjectDisconnected &&
         (Has(error.Description(), "Cannot find context") ||
          Has(error.Description(), "Cannot find default execution context"));
}

OstrelError ErrorFromException(const std::string& method, const nlohmann::json& details) {
  const nlohmann::json& exception = Obj(details, "exception");
  std::string description = Str(exception, "description");
  if (description.empty() && !Field(exception, "value").is_null()) {
    description = Field(exception, "value").dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  }
  if (description.empty()) description = Str(details, "text");
  if (description.empty()) description = "script error";
  size_t line_end = description.find('\n');
  std::string first_line = description.substr(0, line_end);
  std::string text = method + ": " + first_line;
  size_t own = first_line.find("ostrel:");
  if (own != std::string::npos) {
    try {
      return OstrelError(static_cast<int32_t>(std::stol(first_line.substr(own + 7))), text);
    } catch (const std::exception&) {
    }
  }
  if (Has(first_line, "SecurityError") || Has(first_line, "Blocked a frame")) {
    return OstrelError(err::kAccessDenied, text);
  }
  return OstrelError(err::kScriptError, text);
}

}  // namespace ostrel::devtools
