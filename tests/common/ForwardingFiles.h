#pragma once

#include <memory>
#include <string>

#include "platform/files/PosixRecordFiles.h"

namespace ostrel::test {

// An open file that passes every call to a real one; test wrappers derive
// from it and override what they change.
class ForwardingRecordFile : public IRecordFile {
 public:
  explicit ForwardingRecordFile(std::unique_ptr<IRecordFile> real) : real_(std::move(real)) {}
  int32_t RecordLength() const override { return real_->RecordLength(); }
  void Read(int32_t first, int32_t count, char* out) override { real_->Read(first, count, out); }
  void Write(int32_t first, std::string_view data) override { real_->Write(first, data); }
  void Sync() override { real_->Sync(); }
  int64_t Length() override { return real_->Length(); }
  void Truncate(int64_t length) override { real_->Truncate(length); }
  FileIdentity Identity() override { return real_->Identity(); }
  void Lock(FileLock lock) override { real_->Lock(lock); }
  void Unlock() noexcept override { real_->Unlock(); }

 protected:
  IRecordFile& Real() { return *real_; }

 private:
  std::unique_ptr<IRecordFile> real_;
};

// The real files (or `real`, which must outlive it), for wrappers that
// change only some calls.
class ForwardingRecordFiles : public IRecordFiles {
 public:
  ForwardingRecordFiles() : real_(own_) {}
  explicit ForwardingRecordFiles(IRecordFiles& real) : real_(real) {}

  std::unique_ptr<IRecordFile> Open(const std::string& path, int32_t length) override {
    return real_.Open(path, length);
  }
  std::unique_ptr<IRecordFile> OpenForReading(const std::string& path, int32_t length,
                                              Links links) override {
    return real_.OpenForReading(path, length, links);
  }
  std::unique_ptr<IRecordFile> CreateNew(const std::string& path, int32_t length) override {
    return real_.CreateNew(path, length);
  }
  int64_t FileLength(const std::string& path) override { return real_.FileLength(path); }
  FileIdentity IdentityOf(const std::string& path) override { return real_.IdentityOf(path); }
  std::string RealPath(const std::string& path) override { return real_.RealPath(path); }
  uint32_t Owner() override { return real_.Owner(); }
  bool Exists(const std::string& path) override { return real_.Exists(path); }
  void Remove(const std::string& path) override { real_.Remove(path); }
  void SyncFolder(const std::string& path) override { real_.SyncFolder(path); }
  void WriteWhole(const std::string& path, std::string_view bytes) override {
    real_.WriteWhole(path, bytes);
  }
  void CopyFile(const std::string& source, const std::string& target) override {
    real_.CopyFile(source, target);
  }

  // Whether `path` is the journal of a password file.
  static bool IsJournal(const std::string& path) {
    return path.size() > 8 && path.compare(path.size() - 8, 8, "-journal") == 0;
  }

 private:
  PosixRecordFiles own_;
  IRecordFiles& real_;
};

}  // namespace ostrel::test
