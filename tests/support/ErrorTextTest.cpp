#include "support/ErrorText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ErrorNumbers.h"
#include "support/ShowError.h"

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

class RecordingMessageBox : public IMessageBox {
 public:
  void Show(const std::string& text) override { shown.push_back(text); }
  bool AskYesNo(const std::string&) override {
    ADD_FAILURE() << "ShowError asked a question";
    return false;
  }
  std::vector<std::string> shown;
};

TEST(ShowError, EmptyTextShowsTheNumbersText) {
  RecordingMessageBox box;
  ShowError(box, err::kCorruptedFile, "");
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0], ErrorText(err::kCorruptedFile));
}

TEST(ShowError, GivenTextWinsOverTheNumber) {
  RecordingMessageBox box;
  ShowError(box, err::kCorruptedFile, "The encryption key has to be at least 8 character long");
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0], "The encryption key has to be at least 8 character long");
}

TEST(ShowError, PlatformNumberShowsTheGenericText) {
  RecordingMessageBox box;
  ShowError(box, err::kBadRecordNumber, "");
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0], "An unexpected error (#63) has occured.");
}

}  // namespace
}  // namespace ostrel
