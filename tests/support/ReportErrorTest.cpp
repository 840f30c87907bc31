#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ErrorNumbers.h"
#include "support/ErrorText.h"
#include "support/ShowError.h"
#include "tests/common/RecordingMessageBox.h"

namespace ostrel {
namespace {

using RecordingBox = test::RecordingMessageBox;

struct MessageCase {
  OstrelError error;
  std::string shown;
};

// The description is for the log only: what the person reads is a plain
// sentence, with the numbered text of the system's own errors, and the
// numbered text alone only when nothing plainer is known.
TEST(ReportErrorTest, ShowsAPlainSentenceNeverTheDescription) {
  const std::vector<MessageCase> cases = {
      {OstrelError(err::kInvalidPassword), "Invalid password."},
      {OstrelError(err::kWebsiteProblem, "Page.navigate: timed out"), ErrorText(err::kWebsiteProblem)},
      {OstrelError(err::kBrowserGone, "Runtime.evaluate: Target closed"),
       "The browser tab was closed, or the browser stopped."},
      {OstrelError(err::kDiskFull, "write /home/a/ostrel.xps: No space left on device"), "The disk is full."},
      {OstrelError(5, "PackString of 300 characters"), "An unexpected error (#5) has occured."},
      {OstrelError(59, "record of 1600 bytes", "Too long. Nothing was written."), "Too long. Nothing was written."},
      {OstrelError(err::kWebsiteProblem, "", "The login page now sits on b.example."),
       ErrorText(err::kWebsiteProblem) + "\nThe login page now sits on b.example."},
  };
  for (const auto& c : cases) {
    RecordingBox box;
    ReportError(box, c.error);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0], c.shown) << c.error.what();
  }
}

}  // namespace
}  // namespace ostrel
