#pragma once

#include <cstdint>

// Every failure in Ostrel travels as an OstrelError carrying one of these
// numbers. The application's own errors are kAppErrorBase plus 1001..1006 and
// are raised without a description; ErrorText() gives their fixed messages.
// The other numbers follow the style of the platform the system grew up on.
namespace ostrel::err {

constexpr int32_t kAppErrorBase = -2147221504;

constexpr int32_t kCorruptedFile = kAppErrorBase + 1001;    // a slot cannot be decrypted
constexpr int32_t kWebsiteProblem = kAppErrorBase + 1002;   // replay timed out
constexpr int32_t kInvalidPassword = kAppErrorBase + 1003;  // wrong login password
constexpr int32_t kFileNotFound = kAppErrorBase + 1005;     // password file missing or empty
constexpr int32_t kInvalidFile = kAppErrorBase + 1006;

// Language-level errors.
constexpr int32_t kInvalidArgument = 5;
constexpr int32_t kOverflow = 6;
constexpr int32_t kOutOfMemory = 7;       // the window's guard: memory ran out
constexpr int32_t kSubscript = 9;
constexpr int32_t kInternalError = 51;    // the window's guard: any other failure

// File errors (see ErrorFromErrno in the files layer).
constexpr int32_t kBadFileName = 52;
constexpr int32_t kFileMissing = 53;
constexpr int32_t kBadFileMode = 54;      // not a regular file: a device, pipe or socket
constexpr int32_t kDeviceIo = 57;
constexpr int32_t kFileExists = 58;       // a new file's name is taken
constexpr int32_t kBadRecordLength = 59;  // a record does not fit its slot
constexpr int32_t kDiskFull = 61;
constexpr int32_t kBadRecordNumber = 63;
constexpr int32_t kPermissionDenied = 70;
constexpr int32_t kPathFileAccess = 75;
constexpr int32_t kPathNotFound = 76;
// A record is no longer where this window saw it: another window or program
// added, deleted or moved records in between. Raised before anything is
// read out or written.
constexpr int32_t kRecordChanged = 3197;
// Something lies where the password file's journal goes that is not its
// journal (a link, a pipe, a folder, a file of another owner or of another
// file): it is never read back into the file, and no change is made while
// it is there.
constexpr int32_t kUnknownJournal = 3198;

// Cipher errors (see EncryptedData in the cipher layer). DecryptBlock turns
// every decryption failure into kCorruptedFile.
constexpr int32_t kCipherBadData = -2146893819;   // text damaged or key wrong
constexpr int32_t kCipherNoSecret = -2146893821;  // no usable key (no secret set)

// Browser and document errors.
constexpr int32_t kAccessDenied = 70;             // another site's frame
constexpr int32_t kObjectRequired = 424;          // an item the page does not have
constexpr int32_t kBrowserGone = 462;             // the browser exited or crashed
constexpr int32_t kObjectDisconnected = -2147417848;  // element or frame no longer exists
constexpr int32_t kScriptError = -2147352319;     // a script raised an exception
constexpr int32_t kBrowserProtocol = -2147467259; // the browser refused a command
constexpr int32_t kBrowserTimeout = -2147417825;  // the browser did not answer in time

}  // namespace ostrel::err
