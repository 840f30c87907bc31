#pragma once

#include <string>

#include "support/OstrelError.h"

namespace ostrel {

// The one place where an errno value becomes a numbered error:
//   ENOENT                         -> err::kFileMissing (53)
//   ENOTDIR                        -> err::kPathNotFound (76)
//   EEXIST                         -> err::kFileExists (58)
//   ELOOP, ENXIO                   -> err::kBadFileMode (54): a link
//                                     where none may be, a socket
//   EACCES, EPERM, EROFS           -> err::kPermissionDenied (70)
//   ENOSPC, EDQUOT, EFBIG          -> err::kDiskFull (61)
//   ENAMETOOLONG                   -> err::kBadFileName (52)
//   EISDIR                         -> err::kPathFileAccess (75)
//   anything else                  -> err::kDeviceIo (57)
// The description names the operation, the path and the system's own text,
// e.g. "open /home/a/ostrel.xps: Permission denied".
OstrelError ErrorFromErrno(int errnum, const std::string& operation,
                           const std::string& path);

}  // namespace ostrel
