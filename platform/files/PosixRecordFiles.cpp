#include "platform/files/PosixRecordFiles.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <vector>

#include "platform/files/FileError.h"
#include "platform/files/PosixRecordFile.h"

namespace ostrel {

namespace {

// Closes a descriptor when it goes out of scope.
class Fd {
 public:
  explicit Fd(int fd) : mFd(fd) {}
  ~Fd() { if (mFd >= 0) ::close(mFd); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return mFd; }
  int release() { int fd = mFd; mFd = -1; return fd; }
 private:
  int mFd;
};

void WriteAll(int fd, const char* data, size_t size, const std::string& path) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::write(fd, data + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw ErrorFromErrno(errno, "write", path);
    }
    done += static_cast<size_t>(n);
  }
}

std::string FolderOf(const std::string& path) {
  const std::string::size_type slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Fills a new file (mode 0600) beside `target` through `fill`, syncs it and
// renames it over `target` only once it is complete; removes it on failure.
void Publish(const std::string& target, const std::function<void(int, const std::string&)>& fill) {
  std::string temp = target + ".XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  Fd out(::mkostemp(name.data(), O_CLOEXEC));
  if (out.get() < 0) throw ErrorFromErrno(errno, "create", temp);
  temp.assign(name.data());
  try {
    fill(out.get(), temp);
    if (::fsync(out.get()) != 0) throw ErrorFromErrno(errno, "sync", temp);
    if (::close(out.release()) != 0) throw ErrorFromErrno(errno, "close", temp);
    if (::rename(temp.c_str(), target.c_str()) != 0) throw ErrorFromErrno(errno, "rename", target);
  } catch (...) {
    ::unlink(temp.c_str());
    throw;
  }
}

}  // namespace

std::unique_ptr<IRecordFile> PosixRecordFiles::Open(const std::string& path,
                                                    int32_t recordLength) {
  return std::make_unique<PosixRecordFile>(path, recordLength, PosixRecordFile::Mode::kReadWrite);
}

std::unique_ptr<IRecordFile> PosixRecordFiles::OpenForReading(const std::string& path,
                                                              int32_t recordLength, Links links) {
  return std::make_unique<PosixRecordFile>(path, recordLength,
                                           links == Links::kFollow
                                               ? PosixRecordFile::Mode::kReadOnly
                                               : PosixRecordFile::Mode::kReadOnlyNoLinks);
}

std::unique_ptr<IRecordFile> PosixRecordFiles::CreateNew(const std::string& path,
                                                         int32_t recordLength) {
  return std::make_unique<PosixRecordFile>(path, recordLength, PosixRecordFile::Mode::kCreateNew);
}

int64_t PosixRecordFiles::FileLength(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) throw ErrorFromErrno(errno, "stat", path);
  return st.st_size;
}

FileIdentity PosixRecordFiles::IdentityOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) throw ErrorFromErrno(errno, "stat", path);
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino),
          static_cast<uint32_t>(st.st_uid), static_cast<uint64_t>(st.st_nlink)};
}

std::string PosixRecordFiles::RealPath(const std::string& path) {
  char* real = ::realpath(path.c_str(), nullptr);
  if (!real) return path;
  std::string resolved(real);
  ::free(real);
  return resolved;
}

uint32_t PosixRecordFiles::Owner() { return static_cast<uint32_t>(::geteuid()); }

bool PosixRecordFiles::Exists(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) return true;
  if (errno == ENOENT) return false;
  throw ErrorFromErrno(errno, "stat", path);
}

void PosixRecordFiles::Remove(const std::string& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) throw ErrorFromErrno(errno, "remove", path);
}

void PosixRecordFiles::SyncFolder(const std::string& path) {
  const std::string folder = FolderOf(path);
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() < 0) throw ErrorFromErrno(errno, "open", folder);
  if (::fsync(dir.get()) != 0) throw ErrorFromErrno(errno, "sync", folder);
}

void PosixRecordFiles::WriteWhole(const std::string& path, std::string_view bytes) {
  Publish(path, [&](int fd, const std::string& temp) { WriteAll(fd, bytes.data(), bytes.size(), temp); });
  SyncFolder(path);
}

void PosixRecordFiles::CopyFile(const std::string& source, const std::string& target) {
  PosixRecordFile in(source, 1, PosixRecordFile::Mode::kReadOnly);
  const int64_t length = in.Length();
  Publish(target, [&](int fd, const std::string& temp) {
    std::vector<char> buffer(1 << 20);
    for (int64_t done = 0; done < length;) {
      const auto n = static_cast<int32_t>(std::min<int64_t>(length - done, static_cast<int64_t>(buffer.size())));
      in.Read(static_cast<int32_t>(done + 1), n, buffer.data());
      WriteAll(fd, buffer.data(), static_cast<size_t>(n), temp);
      done += n;
    }
  });
}

}  // namespace ostrel
