#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "tests/common/ForwardingFiles.h"

namespace ostrel::test {

// Real files whose writes fail once a budget of bytes is spent: the write
// that crosses the budget puts its first bytes up to the budget into the
// file (whole records and part of the next one, as a failing disk would)
// and then raises err::kDiskFull. With `failAgain` every later write fails
// at once too; otherwise later writes succeed (a passing fault). Only
// writes to the target count: the password file, or its journal.
class FailingRecordFiles : public ForwardingRecordFiles {
 public:
  enum class Target { kPasswordFile, kJournal };

  FailingRecordFiles() = default;

  // Arms the fault: writes to `target` fail after `bytes` more bytes.
  void FailAfter(int64_t bytes, bool failAgain = false, Target target = Target::kPasswordFile);
  void Disarm() { mArmed = false; }
  bool Fired() const { return mFired; }

  std::unique_ptr<IRecordFile> Open(const std::string& path, int32_t recordLength) override;
  std::unique_ptr<IRecordFile> CreateNew(const std::string& path, int32_t recordLength) override;

  // Used by the files it opens.
  void Write(IRecordFile& real, int32_t first, std::string_view data);

 private:
  std::unique_ptr<IRecordFile> Wrap(const std::string& path, std::unique_ptr<IRecordFile> real);

  bool mArmed = false;
  bool mFailAgain = false;
  bool mFired = false;
  int64_t mBudget = 0;
  Target mTarget = Target::kPasswordFile;
};

}  // namespace ostrel::test
