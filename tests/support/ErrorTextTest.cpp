#include "support/ErrorText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ErrorNumbers.h"
#include "support/ShowError.h"
#include "tests/common/RecordingMessageBox.h"

namespace ostrel {
namespace {

TEST(ErrorText, ApplicationNumbersHaveTheirOwnTexts) {
  EXPECT_EQ(ErrorText(-2147220503),
            "The file containing your Ostrel information has been corrupted, please "
            "re-record again your login information.");
  EXPECT_EQ(ErrorText(err::kWebsiteProblem),
            "There is a problem accessing the website, please try again later. You might "
            "also want to check if the login page of the website you are trying to reach "
            "has been changed, in which case you will have to record again your login "
            "information.");
  EXPECT_EQ(ErrorText(-2147220501), "Invalid password.");
  EXPECT_EQ(ErrorText(-2147220499), "Your Ostrel file cannot be found.");
  EXPECT_EQ(ErrorText(-2147220498), "The file you selected is invalid.");
}

TEST(ErrorText, OtherNumbersGetTheGenericText) {
  EXPECT_EQ(ErrorText(5), "An unexpected error (#5) has occured.");
  EXPECT_EQ(ErrorText(0), "An unexpected error (#0) has occured.");
  EXPECT_EQ(ErrorText(err::kAppErrorBase + 1012),
            "An unexpected error (#-2147220492) has occured.");
  EXPECT_EQ(ErrorText(err::kAppErrorBase + 1004),
            "An unexpected error (#-2147220500) has occured.");
  EXPECT_EQ(ErrorText(INT32_MIN), "An unexpected error (#-2147483648) has occured.");
}

// A given text wins over the number; without one the number's own text
// is shown, the generic one for a number of the platform. Once, no question.
TEST(ShowError, ShowsTheGivenTextElseTheNumbersText) {
  const struct {
    int32_t number;
    std::string text;
    std::string shown;
  } cases[] = {
      {err::kCorruptedFile, "",
       "The file containing your Ostrel information has been corrupted, please "
       "re-record again your login information."},
      {err::kCorruptedFile, "The encryption key has to be at least 8 character long",
       "The encryption key has to be at least 8 character long"},
      {err::kBadRecordNumber, "", "An unexpected error (#63) has occured."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    test::RecordingMessageBox box;
    ShowError(box, c.number, c.text);
    EXPECT_EQ(box.shown, std::vector<std::string>{c.shown});
    EXPECT_TRUE(box.questions.empty());
  }
}

}  // namespace
}  // namespace ostrel
