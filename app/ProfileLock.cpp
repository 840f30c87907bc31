#include "app/ProfileLock.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

std::unique_ptr<ProfileLock> ProfileLock::Take(const std::filesystem::path& profile) {
  const std::filesystem::path file = profile / "ostrel.lock";
  const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    throw OstrelError(err::kPermissionDenied, "open " + file.string() + ": " + std::strerror(errno),
                      "Ostrel cannot use its browser profile folder.");
  }
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  if (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<ProfileLock>(new ProfileLock(fd));
}

ProfileLock::~ProfileLock() { ::close(fd_); }

}  // namespace ostrel
