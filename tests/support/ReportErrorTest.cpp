#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ErrorNumbers.h"
#include "support/ShowError.h"

namespace ostrel {
namespace {

class RecordingBox : public IMessageBox {
 public:
  void Show(const std::string& text) override { shown.push_back(text); }
  bool AskYesNo(const std::string&) override { return false; }
  std::vector<std::string> shown;
};

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
