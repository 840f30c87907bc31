#include "platform/files/FileError.h"

#include <cerrno>
#include <cstring>

#include "support/ErrorNumbers.h"

namespace ostrel {

OstrelError ErrorFromErrno(int errnum, const std::string& operation,
                           const std::string& path) {
  int32_t number = err::kDeviceIo;
  switch (errnum) {
    case ENOENT: number = err::kFileMissing; break;
    case ENOTDIR: number = err::kPathNotFound; break;
    case EEXIST: number = err::kFileExists; break;
    case ELOOP:
    case ENXIO: number = err::kBadFileMode; break;
    case EACCES:
    case EPERM:
    case EROFS: number = err::kPermissionDenied; break;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: number = err::kDiskFull; break;
    case ENAMETOOLONG: number = err::kBadFileName; break;
    case EISDIR: number = err::kPathFileAccess; break;
    default: break;
  }
  return OstrelError(number, operation + " " + path + ": " + std::strerror(errnum));
}

}  // namespace ostrel
