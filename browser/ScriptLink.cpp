#include "browser/ScriptLink.h"

#include <regex>

namespace ostrel::script_link {

namespace {
constexpr char kScriptScheme[] = "javascript:";
}

std::string ScriptOf(const std::string& url) {
  const std::string::size_type p = url.find(kScriptScheme);
  if (p == std::string::npos) return {};
  return url.substr(p + sizeof(kScriptScheme) - 1);
}

bool DoesNothing(const std::string& script) {
  // Percent-escapes of blanks and semicolons are the same blanks and
  // semicolons to the browser.
  std::string text = std::regex_replace(script, std::regex("%20|%3[bB]|%09"), " ");
  static const std::regex kNothing(
      R"(^[\s;]*(void\s*\(?\s*(0|null|undefined|''|"")?\s*\)?|undefined|null|false|true|0|//.*|/\*[\s\S]*?\*/)?[\s;]*$)");
  return std::regex_match(text, kNothing);
}

}  // namespace ostrel::script_link
