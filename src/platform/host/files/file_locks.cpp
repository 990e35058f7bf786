#include "platform/host/files/file_locks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velsetup::host {

namespace {

// A record lock of this process never conflicts with its own query, so
// whatever F_GETLK reports belongs to someone else. `record_type` is the
// record lock that would be refused, `flock_operation` the flock to try.
bool HeldAgainst(int fd, short record_type, int flock_operation) {
  struct flock query {};
  query.l_type = record_type;
  query.l_whence = SEEK_SET;
  query.l_start = 0;
  query.l_len = 0;
  if (::fcntl(fd, F_GETLK, &query) == 0 && query.l_type != F_UNLCK) return true;
  if (::flock(fd, flock_operation | LOCK_NB) != 0) return true;
  ::flock(fd, LOCK_UN);
  return false;
}

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

bool IsLockedByAnotherProcess(int fd) { return HeldAgainst(fd, F_WRLCK, LOCK_EX); }

bool IsLockedExclusivelyByAnotherProcess(int fd) { return HeldAgainst(fd, F_RDLCK, LOCK_SH); }

bool IsLockedExclusivelyByAnotherProcess(const std::string& host_path) {
  return ProbePath(host_path, [](int fd) { return IsLockedExclusivelyByAnotherProcess(fd); });
}

bool IsLockedByAnotherProcess(const std::string& host_path) {
  return ProbePath(host_path, [](int fd) { return IsLockedByAnotherProcess(fd); });
}

}  // namespace velsetup::host
