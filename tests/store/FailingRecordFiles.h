#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/files/PosixRecordFiles.h"

namespace ostrel::test {

// Real files whose writes fail once a budget of bytes is spent: the write
// that crosses the budget puts its first bytes up to the budget into the
// file (whole records and part of the next one, as a failing disk would)
// and then raises err::kDiskFull. With `failAgain` every later write fails
// at once too; otherwise later writes succeed (a passing fault).
class FailingRecordFiles : public IRecordFiles {
 public:
  FailingRecordFiles() = default;

  // Arms the fault: writes fail after `bytes` more bytes.
  void FailAfter(int64_t bytes, bool failAgain = false);
  void Disarm() { mArmed = false; }
  bool Fired() const { return mFired; }

  std::unique_ptr<IRecordFile> Open(const std::string& path, int32_t recordLength) override;
  int64_t FileLength(const std::string& path) override { return mReal.FileLength(path); }
  void CopyFile(const std::string& source, const std::string& target) override {
    mReal.CopyFile(source, target);
  }

  // Used by the files it opens.
  void Write(IRecordFile& real, int32_t first, std::string_view data);

 private:
  PosixRecordFiles mReal;
  bool mArmed = false;
  bool mFailAgain = false;
  bool mFired = false;
  int64_t mBudget = 0;
};

}  // namespace ostrel::test
