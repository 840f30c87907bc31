// The DevTools pipe's framing and message handling under any bytes the
// browser side may send (libFuzzer).
#include <cstddef>
#include <cstdint>

#include "tests/platform/devtools/ProtocolInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 19)) return 0;
  ostrel::test::RunProtocolInput(data, size);
  return 0;
}
