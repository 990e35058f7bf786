#include "platform/host/posix/errno_mapping.h"

#include <cerrno>

#include "platform/platform.h"

namespace velsetup::host {

uint32_t Win32ErrorFromErrno(int error_number) {
  switch (error_number) {
    case 0: return win32_error::kSuccess;
    case ENOENT: return win32_error::kFileNotFound;
    case ENOTDIR: return win32_error::kPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR: return win32_error::kAccessDenied;
    case EEXIST: return win32_error::kFileExists;
    case ENOSPC:
    case EFBIG:
    case EDQUOT: return win32_error::kDiskFull;
    case ENAMETOOLONG: return win32_error::kFilenameTooLong;
    case ENOTEMPTY: return win32_error::kDirNotEmpty;
    case EXDEV: return win32_error::kNotSameDevice;
    case EBUSY:
    case ETXTBSY:
    case EWOULDBLOCK: return win32_error::kSharingViolation;
    case ENOMEM: return win32_error::kNotEnoughMemory;
    case EINVAL: return win32_error::kInvalidParameter;
    case EMFILE:
    case ENFILE: return 4;     // ERROR_TOO_MANY_OPEN_FILES
    case EROFS: return 19;     // ERROR_WRITE_PROTECT
    case EIO: return 1117;     // ERROR_IO_DEVICE
    case ELOOP: return win32_error::kInvalidName;
    default: return 31;        // ERROR_GEN_FAILURE: nothing closer on Windows
  }
}

}  // namespace velsetup::host
