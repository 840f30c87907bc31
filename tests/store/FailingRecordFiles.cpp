#include "tests/store/FailingRecordFiles.h"

#include <algorithm>

#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel::test {

namespace {

class FailingRecordFile : public ForwardingRecordFile {
 public:
  FailingRecordFile(FailingRecordFiles& owner, std::unique_ptr<IRecordFile> real)
      : ForwardingRecordFile(std::move(real)), mOwner(owner) {}
  void Write(int32_t first, std::string_view data) override { mOwner.Write(Real(), first, data); }

 private:
  FailingRecordFiles& mOwner;
};

}  // namespace

void FailingRecordFiles::FailAfter(int64_t bytes, bool failAgain, Target target) {
  mTarget = target;
  mArmed = true;
  mFailAgain = failAgain;
  mFired = false;
  mBudget = bytes;
}

std::unique_ptr<IRecordFile> FailingRecordFiles::Open(const std::string& path,
                                                      int32_t recordLength) {
  return Wrap(path, ForwardingRecordFiles::Open(path, recordLength));
}

std::unique_ptr<IRecordFile> FailingRecordFiles::CreateNew(const std::string& path,
                                                           int32_t recordLength) {
  return Wrap(path, ForwardingRecordFiles::CreateNew(path, recordLength));
}

std::unique_ptr<IRecordFile> FailingRecordFiles::Wrap(const std::string& path,
                                                      std::unique_ptr<IRecordFile> real) {
  if (IsJournal(path) != (mTarget == Target::kJournal)) return real;
  return std::make_unique<FailingRecordFile>(*this, std::move(real));
}

void FailingRecordFiles::Write(IRecordFile& real, int32_t first, std::string_view data) {
  if (!mArmed || static_cast<int64_t>(data.size()) <= mBudget) {
    if (mArmed) mBudget -= static_cast<int64_t>(data.size());
    real.Write(first, data);
    return;
  }
  const int64_t length = real.RecordLength();
  const int64_t whole = mBudget / length;
  const int64_t partial = mBudget % length;
  if (whole > 0) real.Write(first, data.substr(0, whole * length));
  if (partial > 0) {
    // Part of the next record reaches the disk: merge it into what is there.
    const int32_t record = first + static_cast<int32_t>(whole);
    std::string merged(length, '\0');
    real.Read(record, 1, merged.data());
    merged.replace(0, partial, data.substr(whole * length, partial));
    const int64_t oldLength = real.Length();
    real.Write(record, merged);
    // A write past the end only extends the file as far as its bytes go.
    const int64_t reached = std::max(oldLength, (record - 1) * length + partial);
    if (real.Length() > reached) real.Truncate(reached);
  }
  mFired = true;
  mBudget = 0;
  if (!mFailAgain) mArmed = false;
  throw OstrelError(err::kDiskFull, "write: injected failure");
}

}  // namespace ostrel::test
