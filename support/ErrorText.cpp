#include "support/ErrorText.h"

#include "support/ErrorNumbers.h"

namespace ostrel {

std::string ErrorText(int32_t number) {
  switch (number) {
    case err::kCorruptedFile:
      return "The file containing your Ostrel information has been corrupted, "
             "please re-record again your login information.";
    case err::kWebsiteProblem:
      return "There is a problem accessing the website, please try again "
             "later. You might also want to check if the login page of the "
             "website you are trying to reach has been changed, in which case "
             "you will have to record again your login information.";
    case err::kInvalidPassword:
      return "Invalid password.";
    case err::kFileNotFound:
      return "Your Ostrel file cannot be found.";
    case err::kInvalidFile:
      return "The file you selected is invalid.";
    default:
      return "An unexpected error (#" + std::to_string(number) + ") has occured.";
  }
}

}  // namespace ostrel
