#include "platform/host/durable_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/host/errno_mapping.h"
#include "platform/host/fault_injection.h"

namespace velsetup::host {

namespace {

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t count = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (count < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(count);
  }
  return true;
}

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

uint32_t ReplaceFileDurably(const std::string& path, const std::string& bytes) {
  // The ':' keeps the name out of the simulated file system's reach; the
  // pid keeps two tools on one machine apart.
  const std::string temporary = path + ":" + std::to_string(::getpid()) + ".new";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return Win32ErrorFromErrno(errno);
  int error_number = 0;
  if (!WriteAll(fd, bytes) || ::fsync(fd) != 0) error_number = errno;
  if (::close(fd) != 0 && error_number == 0) error_number = errno;
  if (error_number == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error_number = errno;
  if (error_number != 0) {
    ::unlink(temporary.c_str());
    return Win32ErrorFromErrno(error_number);
  }
  const int directory = ::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (directory >= 0) {
    ::fsync(directory);
    ::close(directory);
  }
  fault::Wrote();
  return 0;
}

}  // namespace velsetup::host
