#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"
#include "tests/page/CaptureEnv.h"

namespace ostrel::testing {

std::unique_ptr<CaptureEnv> MakeFakeCaptureEnv();
#ifdef OSTREL_HAVE_CHROMIUM_ENV
std::unique_ptr<CaptureEnv> MakeChromiumCaptureEnv();
#endif

std::vector<std::string> CaptureEnvKinds() {
#ifdef OSTREL_HAVE_CHROMIUM_ENV
  return {"fake", "chromium"};
#else
  return {"fake"};
#endif
}

std::vector<std::string> ScriptingCaptureEnvKinds() {
#ifdef OSTREL_HAVE_CHROMIUM_ENV
  return {"chromium"};
#else
  return {};
#endif
}

std::unique_ptr<CaptureEnv> MakeCaptureEnv(const std::string& kind) {
  if (kind == "fake") return MakeFakeCaptureEnv();
#ifdef OSTREL_HAVE_CHROMIUM_ENV
  if (kind == "chromium") return MakeChromiumCaptureEnv();
#endif
  throw OstrelError(err::kInvalidArgument, "no browser of kind " + kind);
}

}  // namespace ostrel::testing
