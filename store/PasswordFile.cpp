#include "store/PasswordFile.h"

#include "store/FileHold.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

namespace {

OstrelError NotWhole(const std::string& what) {
  return OstrelError(err::kInternalError, "password file: " + what + " is not whole slots");
}

}  // namespace

PasswordFile::PasswordFile(StoreContext& context, Access access) {
  std::shared_ptr<FileHold> held = context.HeldFile();
  if (held && held->Path() == context.PasswordFileName) {
    if (access == Access::kWrite) held->MakeExclusive();
    mHold = std::move(held);
    return;
  }
  mHold = std::make_shared<FileHold>(context, context.PasswordFileName, access == Access::kWrite);
  if (!held) context.SetHeldFile(mHold);
}

PasswordFile::~PasswordFile() = default;

IRecordFile& PasswordFile::File() { return mHold->File(); }
IRecordFiles& PasswordFile::Files() { return mHold->Files(); }
StoreContext& PasswordFile::Context() { return mHold->Context(); }
const std::string& PasswordFile::Path() const { return mHold->Path(); }
const std::string& PasswordFile::JournalPath() const { return mHold->JournalPath(); }
bool PasswordFile::Writable() const { return mHold->Exclusive(); }
bool PasswordFile::ReadOnly() const { return mHold->ReadOnly(); }

void PasswordFile::Read(int64_t offset, int64_t bytes, char* out) {
  if (offset < 0 || offset % kRecordBytes != 0) throw NotWhole("offset " + std::to_string(offset));
  if (bytes < 0 || bytes % kRecordBytes != 0) throw NotWhole(std::to_string(bytes) + " bytes");
  File().Read(static_cast<int32_t>(offset / kRecordBytes + 1), static_cast<int32_t>(bytes / kRecordBytes), out);
}

void PasswordFile::CreateWhole(std::string_view bytes) {
  if (!Writable() || Length() != 0) {
    throw OstrelError(err::kInternalError, "password file: created over a held or non-empty file");
  }
  mHold->ReplaceWhole(bytes);
}

void PasswordFile::Copy(StoreContext& context, const std::string& target) {
  context.Files().FileLength(context.PasswordFileName);
  PasswordFile file(context, Access::kRead);
  file.Files().CopyFile(file.Path(), target);
}

}  // namespace ostrel
