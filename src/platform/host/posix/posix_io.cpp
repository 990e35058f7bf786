#include "platform/host/posix/posix_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/host/posix/errno_mapping.h"
#include "platform/platform.h"

namespace velsetup::host::posix {

OpenFile& OpenFile::operator=(OpenFile&& other) noexcept {
  if (this != &other) {
    Reset();
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

void OpenFile::Reset() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

uint32_t WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t count = ::write(fd, bytes.data(), bytes.size());
    if (count < 0) {
      if (errno == EINTR) continue;
      return Win32ErrorFromErrno(errno);
    }
    bytes.remove_prefix(static_cast<size_t>(count));
  }
  return win32_error::kSuccess;
}

uint32_t WriteAllAt(int fd, std::string_view bytes, uint64_t offset) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t count = ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                                   static_cast<off_t>(offset + done));
    if (count < 0) {
      if (errno == EINTR) continue;
      return Win32ErrorFromErrno(errno);
    }
    done += static_cast<size_t>(count);
  }
  return win32_error::kSuccess;
}

uint32_t ReadAllAt(int fd, char* data, size_t size, uint64_t offset) {
  constexpr uint32_t kHandleEof = 38;
  size_t done = 0;
  while (done < size) {
    const ssize_t count = ::pread(fd, data + done, size - done, static_cast<off_t>(offset + done));
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return Win32ErrorFromErrno(errno);
    if (count == 0) return kHandleEof;
    done += static_cast<size_t>(count);
  }
  return win32_error::kSuccess;
}

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

uint32_t WriteThenPlace(const std::string& temporary, const std::string& path,
                        std::string_view bytes, Placement placement, bool sync) {
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return Win32ErrorFromErrno(errno);
  uint32_t error = WriteAll(fd, bytes);
  if (error == 0 && sync && ::fsync(fd) != 0) error = Win32ErrorFromErrno(errno);
  if (::close(fd) != 0 && error == 0) error = Win32ErrorFromErrno(errno);
  if (error == 0) {
    if (placement == Placement::kReplace) {
      if (::rename(temporary.c_str(), path.c_str()) != 0) error = Win32ErrorFromErrno(errno);
    } else if (::link(temporary.c_str(), path.c_str()) != 0 &&
               (errno != EEXIST || placement == Placement::kFailIfExists)) {
      error = Win32ErrorFromErrno(errno);
    }
  }
  // After a rename the temporary name is gone already; after link() the
  // file lives on under its own name as well.
  if (placement != Placement::kReplace || error != 0) ::unlink(temporary.c_str());
  return error;
}

}  // namespace velsetup::host::posix
