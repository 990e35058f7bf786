#include "platform/host/devices/cmos_memory.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/host/posix/durable_file.h"
#include "platform/host/posix/errno_mapping.h"
#include "platform/host/machine/fault_injection.h"

namespace velsetup::host {

uint32_t CmosMemory::Read(uint32_t first, uint32_t count, uint8_t* bytes) const {
  std::memset(bytes, 0, count);
  const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? 0 : Win32ErrorFromErrno(errno);
  uint32_t done = 0;
  while (done < count) {
    const ssize_t got = ::pread(fd, bytes + done, count - done, first + done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      const int error_number = errno;
      ::close(fd);
      return Win32ErrorFromErrno(error_number);
    }
    if (got == 0) break;
    done += static_cast<uint32_t>(got);
  }
  ::close(fd);
  return 0;
}

uint32_t CmosMemory::Write(uint32_t index, uint8_t value) {
  int fd = ::open(path_.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0 && errno == ENOENT) {
    // Removed behind the machine's back: it comes back as a fresh CMOS.
    std::string bytes(kSize, '\0');
    bytes[index] = static_cast<char>(value);
    return ReplaceFileDurably(path_, bytes);
  }
  if (fd < 0) return Win32ErrorFromErrno(errno);
  // One byte in place: a single-sector write cannot tear.
  int error_number = 0;
  ssize_t written;
  do {
    written = ::pwrite(fd, &value, 1, index);
  } while (written < 0 && errno == EINTR);
  if (written < 0) {
    error_number = errno;
  } else if (written != 1) {
    error_number = EIO;
  } else if (::fsync(fd) != 0) {
    error_number = errno;
  }
  ::close(fd);
  if (error_number == 0) fault::Wrote();
  return error_number == 0 ? 0 : Win32ErrorFromErrno(error_number);
}

}  // namespace velsetup::host
