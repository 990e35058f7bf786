#include "platform/host/posix/posix_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

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

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t count = ::write(fd, bytes.data(), bytes.size());
    if (count < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(count));
  }
  return true;
}

bool WriteAllAt(int fd, std::string_view bytes, uint64_t offset) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t count = ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                                   static_cast<off_t>(offset + done));
    if (count < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(count);
  }
  return true;
}

bool ReadAllAt(int fd, char* data, size_t size, uint64_t offset) {
  size_t done = 0;
  while (done < size) {
    const ssize_t count = ::pread(fd, data + done, size - done, static_cast<off_t>(offset + done));
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    done += static_cast<size_t>(count);
  }
  return true;
}

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

int WriteThenPlace(const std::string& temporary, const std::string& path, std::string_view bytes,
                   Placement placement, bool sync) {
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return errno;
  int error_number = 0;
  if (!WriteAll(fd, bytes) || (sync && ::fsync(fd) != 0)) error_number = errno;
  if (::close(fd) != 0 && error_number == 0) error_number = errno;
  if (error_number == 0) {
    if (placement == Placement::kReplace) {
      if (::rename(temporary.c_str(), path.c_str()) != 0) error_number = errno;
    } else if (::link(temporary.c_str(), path.c_str()) != 0 &&
               (errno != EEXIST || placement == Placement::kFailIfExists)) {
      error_number = errno;
    }
  }
  // After a rename the temporary name is gone already; after link() the
  // file lives on under its own name as well.
  if (placement != Placement::kReplace || error_number != 0) ::unlink(temporary.c_str());
  return error_number;
}

}  // namespace velsetup::host::posix
