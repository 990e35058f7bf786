#include "platform/host/files/file_locks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velsetup::host {

bool IsLockedByAnotherProcess(int fd) {
  // A record lock of this process never conflicts with its own query, so
  // whatever F_GETLK reports belongs to someone else.
  struct flock query {};
  query.l_type = F_WRLCK;
  query.l_whence = SEEK_SET;
  query.l_start = 0;
  query.l_len = 0;
  if (::fcntl(fd, F_GETLK, &query) == 0 && query.l_type != F_UNLCK) return true;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return true;
  ::flock(fd, LOCK_UN);
  return false;
}

bool IsLockedExclusivelyByAnotherProcess(int fd) {
  struct flock query {};
  query.l_type = F_RDLCK;
  query.l_whence = SEEK_SET;
  query.l_start = 0;
  query.l_len = 0;
  if (::fcntl(fd, F_GETLK, &query) == 0 && query.l_type != F_UNLCK) return true;
  if (::flock(fd, LOCK_SH | LOCK_NB) != 0) return true;
  ::flock(fd, LOCK_UN);
  return false;
}

namespace {

bool ProbePath(const std::string& host_path, bool (*probe)(int)) {
  // O_NONBLOCK: a FIFO in a drive must not hang the probe.
  const int fd = ::open(host_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  struct stat info;
  const bool locked = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && probe(fd);
  ::close(fd);
  return locked;
}

}  // namespace

bool IsLockedExclusivelyByAnotherProcess(const std::string& host_path) {
  return ProbePath(host_path, [](int fd) { return IsLockedExclusivelyByAnotherProcess(fd); });
}

bool IsLockedByAnotherProcess(const std::string& host_path) {
  return ProbePath(host_path, [](int fd) { return IsLockedByAnotherProcess(fd); });
}

}  // namespace velsetup::host
