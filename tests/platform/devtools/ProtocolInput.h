#pragma once

#include <cstddef>
#include <cstdint>

namespace ostrel::test {

// Feeds bytes, as the browser's side of the DevTools pipe, to a connection
// with a real tab object (DevToolsBrowser, its before-navigate handler set)
// on it, and works that tab meanwhile: every malformed, mistyped or
// truncated message must leave the program running, each call ending with
// an answer or an OstrelError. The tab is set up from well-formed answers
// that come before the bytes; returns whether that still worked. Shared by
// the fuzz target and the tests.
bool RunProtocolInput(const uint8_t* data, size_t size);

}  // namespace ostrel::test
