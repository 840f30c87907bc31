#include "browser/UrlOrigin.h"

#include "support/TextCase.h"

namespace ostrel {

std::string OriginOf(const std::string& url) {
  const size_t colon = url.find("://");
  if (colon == std::string::npos || colon == 0) return {};
  const std::string scheme = LowerAscii(url.substr(0, colon));
  if (scheme.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789+-.") != std::string::npos) return {};
  const size_t start = colon + 3;
  const size_t end = url.find_first_of("/?#", start);
  std::string authority = url.substr(start, end == std::string::npos ? std::string::npos : end - start);
  const size_t at = authority.rfind('@');
  if (at != std::string::npos) authority.erase(0, at + 1);
  std::string host = authority, port;
  const size_t bracket = authority.rfind(']');
  const size_t port_colon = authority.rfind(':');
  if (port_colon != std::string::npos && (bracket == std::string::npos || port_colon > bracket)) {
    host = authority.substr(0, port_colon);
    port = authority.substr(port_colon + 1);
  }
  if (host.empty()) return {};
  if ((scheme == "http" && port == "80") || (scheme == "https" && port == "443")) port.clear();
  return scheme + "://" + LowerAscii(host) + (port.empty() ? "" : ":" + port);
}

}  // namespace ostrel
