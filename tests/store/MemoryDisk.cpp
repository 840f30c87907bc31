#include "tests/store/MemoryDisk.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel::test {

namespace {

class MemoryFile : public IRecordFile {
 public:
  MemoryFile(MemoryDisk& disk, std::shared_ptr<MemoryDisk::Inode> inode, int32_t recordLength,
             bool readOnly)
      : mDisk(disk), mInode(std::move(inode)), mRecordLength(recordLength), mReadOnly(readOnly) {}

  int32_t RecordLength() const override { return mRecordLength; }

  void Read(int32_t first, int32_t count, char* out) override {
    Live();
    if (first < 1) throw OstrelError(err::kBadRecordNumber);
    const int64_t offset = Offset(first);
    const int64_t wanted = int64_t{count} * mRecordLength;
    const int64_t have =
        std::clamp<int64_t>(static_cast<int64_t>(mInode->seen.size()) - offset, 0, wanted);
    if (have > 0) std::memcpy(out, mInode->seen.data() + offset, static_cast<size_t>(have));
    std::memset(out + have, 0, static_cast<size_t>(wanted - have));
  }

  void Write(int32_t first, std::string_view data) override {
    Live();
    if (mReadOnly) throw OstrelError(err::kPermissionDenied, "read-only");
    if (first < 1 || data.size() % mRecordLength != 0) throw OstrelError(err::kBadRecordNumber);
    mDisk.Write(*mInode, Offset(first), data);
  }

  void Sync() override {
    Live();
    mDisk.Change();
    mInode->synced = mInode->seen;
    mInode->dirty.clear();
  }

  int64_t Length() override {
    Live();
    return static_cast<int64_t>(mInode->seen.size());
  }

  void Truncate(int64_t length) override {
    Live();
    mDisk.Change();
    mInode->seen.resize(static_cast<size_t>(length), '\0');
  }

  FileIdentity Identity() override {
    Live();
    return {1, mInode->id, mDisk.Owner(), 1};
  }

  void Lock(FileLock) override { Live(); }
  void Unlock() noexcept override {}

 private:
  void Live() {
    if (mDisk.Cut()) throw DiskCut();
  }
  int64_t Offset(int32_t record) const { return int64_t{record - 1} * mRecordLength; }

  MemoryDisk& mDisk;
  std::shared_ptr<MemoryDisk::Inode> mInode;
  int32_t mRecordLength;
  bool mReadOnly;
};

OstrelError Missing(const std::string& path) {
  return OstrelError(err::kFileMissing, "open " + path + ": No such file or directory");
}

}  // namespace

void MemoryDisk::Change(const std::function<void()>& partly) {
  if (mCut) throw DiskCut();
  if (mChanges++ == mCutAt) {
    if (partly) partly();
    mCut = true;
    throw DiskCut();
  }
}

void MemoryDisk::Write(Inode& inode, int64_t offset, std::string_view data) {
  auto apply = [&](size_t bytes) {
    if (bytes == 0) return;
    const size_t end = static_cast<size_t>(offset) + bytes;
    if (inode.seen.size() < end) inode.seen.resize(end, '\0');
    std::memcpy(inode.seen.data() + offset, data.data(), bytes);
    for (int64_t s = offset / kSector; s <= static_cast<int64_t>(end - 1) / kSector; ++s) {
      inode.dirty.insert(s);
    }
  };
  // Killed inside the write: a leading part of it, in whole sectors, is in.
  Change([&] {
    const size_t sectors = (data.size() + kSector - 1) / kSector;
    apply(std::min(data.size(), static_cast<size_t>(Random() % (sectors + 1)) * kSector));
  });
  apply(data.size());
}

std::shared_ptr<MemoryDisk::Inode> MemoryDisk::NewInode() {
  auto inode = std::make_shared<Inode>();
  inode->id = ++mInodes;
  return inode;
}

void MemoryDisk::Writable(const std::string& path) const {
  if (mReadOnly) throw OstrelError(err::kPermissionDenied, "open " + path + ": Read-only file system");
}

std::unique_ptr<IRecordFile> MemoryDisk::Open(const std::string& path, int32_t recordLength) {
  if (mCut) throw DiskCut();
  Writable(path);
  Entry& entry = mEntries[path];
  if (!entry.seen) {
    Change();
    entry.seen = NewInode();
  }
  return std::make_unique<MemoryFile>(*this, entry.seen, recordLength, false);
}

std::shared_ptr<MemoryDisk::Inode> MemoryDisk::Existing(const std::string& path) {
  if (mCut) throw DiskCut();
  auto it = mEntries.find(path);
  if (it == mEntries.end() || !it->second.seen) throw Missing(path);
  return it->second.seen;
}

std::unique_ptr<IRecordFile> MemoryDisk::OpenForReading(const std::string& path,
                                                        int32_t recordLength, Links) {
  return std::make_unique<MemoryFile>(*this, Existing(path), recordLength, true);
}

std::unique_ptr<IRecordFile> MemoryDisk::CreateNew(const std::string& path, int32_t recordLength) {
  if (Exists(path)) throw OstrelError(err::kFileExists, "create " + path + ": File exists");
  return Open(path, recordLength);
}

int64_t MemoryDisk::FileLength(const std::string& path) {
  return static_cast<int64_t>(Existing(path)->seen.size());
}

FileIdentity MemoryDisk::IdentityOf(const std::string& path) {
  return {1, Existing(path)->id, Owner(), 1};
}

bool MemoryDisk::Exists(const std::string& path) {
  if (mCut) throw DiskCut();
  auto it = mEntries.find(path);
  return it != mEntries.end() && it->second.seen;
}

void MemoryDisk::Remove(const std::string& path) {
  if (mCut) throw DiskCut();
  auto it = mEntries.find(path);
  if (it == mEntries.end() || !it->second.seen) return;
  Writable(path);
  Change();
  it->second.seen.reset();
}

// One folder holds every file here.
void MemoryDisk::SyncFolder(const std::string&) {
  Change();
  for (auto& [path, entry] : mEntries) entry.synced = entry.seen;
}

// A new file beside it, written and synced, then renamed over it.
void MemoryDisk::WriteWhole(const std::string& path, std::string_view bytes) {
  if (mCut) throw DiskCut();
  Writable(path);
  Entry& temp = mEntries[path + ".new"];
  Change();
  temp.seen = NewInode();
  Write(*temp.seen, 0, bytes);
  Change();
  temp.seen->synced = temp.seen->seen;
  temp.seen->dirty.clear();
  Change();
  mEntries[path].seen = std::move(mEntries[path + ".new"].seen);
  SyncFolder(path);
}

void MemoryDisk::CopyFile(const std::string&, const std::string&) {
  throw OstrelError(err::kInternalError, "no copies on a memory disk");
}

std::string MemoryDisk::Bytes(const std::string& path) const {
  auto it = mEntries.find(path);
  return it == mEntries.end() || !it->second.seen ? std::string() : it->second.seen->seen;
}

void MemoryDisk::SetBytes(const std::string& path, const std::string& bytes) {
  auto inode = NewInode();
  inode->seen = inode->synced = bytes;
  mEntries[path] = {inode, inode};
}

std::unique_ptr<MemoryDisk> MemoryDisk::Copy() {
  auto copy = std::make_unique<MemoryDisk>(static_cast<uint32_t>(Random()));
  for (const auto& [path, entry] : mEntries) {
    if (entry.seen) copy->SetBytes(path, entry.seen->seen);
  }
  return copy;
}

std::unique_ptr<MemoryDisk> MemoryDisk::AfterKill() { return Copy(); }

std::unique_ptr<MemoryDisk> MemoryDisk::AfterPowerCut() {
  auto after = std::make_unique<MemoryDisk>(static_cast<uint32_t>(Random()));
  for (const auto& [path, entry] : mEntries) {
    std::shared_ptr<Inode> inode = entry.seen;
    if (entry.seen != entry.synced && Random() % 2 == 0) inode = entry.synced;
    if (!inode) continue;
    size_t length = inode->synced.size();
    if (inode->seen.size() != length && Random() % 2 == 0) length = inode->seen.size();
    std::string bytes = inode->synced;
    bytes.resize(length, '\0');
    for (int64_t sector : inode->dirty) {
      const size_t from = static_cast<size_t>(sector * kSector);
      if (from >= length || from >= inode->seen.size() || Random() % 2 == 0) continue;
      const size_t size = std::min({static_cast<size_t>(kSector), length - from, inode->seen.size() - from});
      std::memcpy(bytes.data() + from, inode->seen.data() + from, size);
    }
    after->SetBytes(path, bytes);
  }
  return after;
}

}  // namespace ostrel::test
