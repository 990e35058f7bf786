#include "platform/host/registry/registry_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/host/posix/durable_file.h"
#include "platform/host/posix/errno_mapping.h"

namespace velsetup::host {

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
  const uint32_t code = ReplaceFileDurably(path_, bytes);
  if (code != 0) return code;
  known_ = Current();
  read_once_ = true;
  return 0;
}

}  // namespace velsetup::host
