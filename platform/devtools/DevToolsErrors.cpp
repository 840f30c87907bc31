#include "platform/devtools/DevToolsErrors.h"

#include "support/ErrorNumbers.h"

namespace ostrel::devtools {

namespace {
bool Has(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }
}  // namespace

OstrelError ErrorFromAnswer(const std::string& method, const nlohmann::json& error) {
  std::string message = error.value("message", std::string("unknown error"));
  if (error.contains("data") && error["data"].is_string()) message += " (" + error["data"].get<std::string>() + ")";
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

OstrelError ErrorFromException(const std::string& method, const nlohmann::json& details) {
  std::string description;
  if (details.contains("exception")) {
    const auto& exception = details["exception"];
    description = exception.value("description", std::string());
    if (description.empty() && exception.contains("value")) description = exception["value"].dump();
  }
  if (description.empty()) description = details.value("text", std::string("script error"));
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
