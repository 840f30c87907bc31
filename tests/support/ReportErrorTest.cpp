#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ErrorNumbers.h"
#include "support/ShowError.h"
#include "tests/common/RecordingMessageBox.h"

namespace ostrel {
namespace {

using RecordingBox = test::RecordingMessageBox;

TEST(ReportErrorTest, ApplicationErrorsShowTheirFixedTextAlone) {
  RecordingBox box;
  ReportError(box, OstrelError(err::kInvalidPassword));
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0], "Invalid password.");
}

TEST(ReportErrorTest, ADescriptionFollowsTheNumberedTextAsASentence) {
  RecordingBox box;
  ReportError(box, OstrelError(err::kBrowserGone, "the browser has gone"));
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0], "An unexpected error (#462) has occured.\nThe browser has gone.");
}

TEST(ReportErrorTest, ADescriptionThatIsASentenceIsKeptAsItIs) {
  EXPECT_EQ(ErrorMessage(59, "Too long; nothing was written."),
            "An unexpected error (#59) has occured.\nToo long; nothing was written.");
  EXPECT_EQ(ErrorMessage(5, "Really?"), "An unexpected error (#5) has occured.\nReally?");
}

}  // namespace
}  // namespace ostrel
