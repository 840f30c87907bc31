#pragma once

#include <string>

namespace ostrel {

// The origin of an absolute address, as a browser writes it:
// "scheme://host" with scheme and host in lower case, then ":port" unless
// the port is the scheme's default (80 for http, 443 for https). Empty for
// an address that has no host (about:blank, data:, javascript:...) or
// cannot be read.
std::string OriginOf(const std::string& url);

}  // namespace ostrel
