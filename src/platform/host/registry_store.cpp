#include "platform/host/registry_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/host/errno_mapping.h"

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

bool RegistryStore::Identity::operator==(const Identity& other) const {
  if (exists != other.exists) return false;
  if (!exists) return true;
  // The change time moves with every write, also one that keeps the size
  // and sets the modification time back.
  return device == other.device && inode == other.inode && size == other.size &&
         modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec &&
         changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
}

RegistryStore::Identity RegistryStore::Current() const {
  Identity identity;
  struct stat info;
  if (::stat(path_.c_str(), &info) != 0) return identity;
  identity.exists = true;
  identity.device = info.st_dev;
  identity.inode = info.st_ino;
  identity.size = info.st_size;
  identity.modified = info.st_mtim;
  identity.changed = info.st_ctim;
  return identity;
}

bool RegistryStore::ChangedOnDisk() const { return !read_once_ || !(Current() == known_); }

uint32_t RegistryStore::Read(std::string* bytes) {
  bytes->clear();
  // Taken before reading: a write racing with the read shows as a change
  // at the next look, never as a file wrongly taken for current.
  const Identity before = Current();
  const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    const int error_number = errno;
    if (error_number == ENOENT) {
      known_ = Identity{};
      read_once_ = true;
    }
    return Win32ErrorFromErrno(error_number);
  }
  char chunk[65536];
  for (;;) {
    const ssize_t count = ::read(fd, chunk, sizeof chunk);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      const int error_number = errno;
      ::close(fd);
      bytes->clear();
      return Win32ErrorFromErrno(error_number);
    }
    if (count == 0) break;
    bytes->append(chunk, static_cast<size_t>(count));
  }
  ::close(fd);
  known_ = before;
  read_once_ = true;
  return 0;
}

uint32_t RegistryStore::Write(const std::string& bytes) {
  // The ':' keeps the name out of the simulated file system's reach; the
  // pid keeps two tools on one machine apart.
  const std::string temporary = path_ + ":" + std::to_string(::getpid()) + ".new";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return Win32ErrorFromErrno(errno);
  int error_number = 0;
  if (!WriteAll(fd, bytes) || ::fsync(fd) != 0) error_number = errno;
  if (::close(fd) != 0 && error_number == 0) error_number = errno;
  if (error_number == 0 && ::rename(temporary.c_str(), path_.c_str()) != 0) error_number = errno;
  if (error_number != 0) {
    ::unlink(temporary.c_str());
    return Win32ErrorFromErrno(error_number);
  }
  // The rename itself is durable only once the directory is.
  const int directory = ::open(DirectoryOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (directory >= 0) {
    ::fsync(directory);
    ::close(directory);
  }
  known_ = Current();
  read_once_ = true;
  return 0;
}

}  // namespace velsetup::host
