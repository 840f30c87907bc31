#include "platform/files/PosixRecordFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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

}  // namespace

std::unique_ptr<IRecordFile> PosixRecordFiles::Open(const std::string& path,
                                                    int32_t recordLength) {
  return std::make_unique<PosixRecordFile>(path, recordLength);
}

std::unique_ptr<IRecordFile> PosixRecordFiles::OpenForReading(const std::string& path,
                                                              int32_t recordLength) {
  return std::make_unique<PosixRecordFile>(path, recordLength, PosixRecordFile::Mode::kReadOnly);
}

int64_t PosixRecordFiles::FileLength(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) throw ErrorFromErrno(errno, "stat", path);
  return st.st_size;
}

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
  const std::string::size_type slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() < 0) throw ErrorFromErrno(errno, "open", folder);
  if (::fsync(dir.get()) != 0) throw ErrorFromErrno(errno, "sync", folder);
}

void PosixRecordFiles::CopyFile(const std::string& source, const std::string& target) {
  PosixRecordFile locked(source, 1, PosixRecordFile::Mode::kReadOnly);
  locked.Lock(FileLock::kShared);
  Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) throw ErrorFromErrno(errno, "open", source);

  // The copy goes to a temporary file beside the target and replaces the
  // target by rename only once it is complete and synced.
  std::string temp = target + ".XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  Fd out(::mkostemp(name.data(), O_CLOEXEC));
  if (out.get() < 0) throw ErrorFromErrno(errno, "create", temp);
  temp.assign(name.data());
  try {
    std::vector<char> buffer(1 << 20);
    for (;;) {
      ssize_t n = ::read(in.get(), buffer.data(), buffer.size());
      if (n < 0) {
        if (errno == EINTR) continue;
        throw ErrorFromErrno(errno, "read", source);
      }
      if (n == 0) break;
      WriteAll(out.get(), buffer.data(), static_cast<size_t>(n), temp);
    }
    if (::fsync(out.get()) != 0) throw ErrorFromErrno(errno, "sync", temp);
    if (::close(out.release()) != 0) throw ErrorFromErrno(errno, "close", temp);
    if (::rename(temp.c_str(), target.c_str()) != 0) {
      throw ErrorFromErrno(errno, "rename", target);
    }
  } catch (...) {
    ::unlink(temp.c_str());
    throw;
  }
}

}  // namespace ostrel
