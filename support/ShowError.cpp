#include "support/ShowError.h"

#include "support/ErrorNumbers.h"
#include "support/ErrorText.h"
#include "support/Log.h"

namespace ostrel {

void ShowError(IMessageBox& box, int32_t number, const std::string& text) {
  box.Show(text.empty() ? ErrorText(number) : text);
}

std::string PlainExplanation(int32_t number) {
  switch (number) {
    case err::kOutOfMemory: return "Ostrel ran out of memory.";
    case err::kBadFileName: return "The file name is not valid.";
    case err::kFileMissing: return "The file does not exist.";
    case err::kDeviceIo: return "The file could not be read or written.";
    case err::kBadRecordLength: return "The information is too long to be stored. Nothing was written.";
    case err::kDiskFull: return "The disk is full.";
    case err::kPermissionDenied: return "Access was refused.";
    case err::kPathFileAccess: return "That is a folder, not a file.";
    case err::kPathNotFound: return "The folder does not exist.";
    case err::kObjectRequired: return "Something Ostrel needed is not on the page.";
    case err::kBrowserGone: return "The browser tab was closed, or the browser stopped.";
    case err::kObjectDisconnected: return "The page changed while Ostrel was working with it.";
    case err::kScriptError: return "A script on the page failed.";
    case err::kBrowserProtocol: return "The browser did not do what Ostrel asked of it.";
    case err::kBrowserTimeout: return "The browser did not answer in time.";
    default: return "";
  }
}

std::string ErrorMessage(const OstrelError& error) {
  const std::string text = ErrorText(error.Number());
  const bool own = error.Number() >= err::kCorruptedFile && error.Number() <= err::kInvalidFile;
  if (own) return error.Explanation().empty() ? text : text + "\n" + error.Explanation();
  // A failure that can be said in words is said in words alone; the number
  // goes to the log.
  std::string plain = error.Explanation();
  if (plain.empty()) plain = PlainExplanation(error.Number());
  return plain.empty() ? text : plain;
}

void LogError(const OstrelError& error) { Log(error.what()); }

void ReportError(IMessageBox& box, const OstrelError& error) {
  LogError(error);
  ShowError(box, error.Number(), ErrorMessage(error));
}

}  // namespace ostrel
