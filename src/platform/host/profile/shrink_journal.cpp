#include "platform/host/profile/shrink_journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "platform/host/machine/fault_injection.h"
#include "platform/platform.h"

namespace velsetup::host::shrink_journal {

namespace {

constexpr char kMagic[8] = {'V', 'S', 'J', 'O', 'U', 'R', '1', '\0'};

struct Header {
  char magic[8];
  uint64_t device, inode, size_before, offset, size_after, tail_size;
};

std::string PathBeside(const std::string& host_path) { return host_path + ":journal"; }

}  // namespace

bool Record(const std::string& host_path, posix::OpenFile* journal, const Shrink& shrink,
            const std::string& tail) {
  if (journal->get() < 0) {
    *journal = posix::OpenFile(
        ::open(PathBeside(host_path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600));
    if (journal->get() < 0) return false;
  }
  Header header;
  std::memcpy(header.magic, kMagic, sizeof kMagic);
  header.device = static_cast<uint64_t>(shrink.device);
  header.inode = static_cast<uint64_t>(shrink.inode);
  header.size_before = shrink.size_before;
  header.offset = shrink.offset;
  header.size_after = shrink.size_after;
  header.tail_size = tail.size();
  std::string record(reinterpret_cast<const char*>(&header), sizeof header);
  record += tail;
  if (posix::WriteAllAt(journal->get(), record, 0) != win32_error::kSuccess) return false;
  fault::Wrote();
  return true;
}

uint32_t MarkDone(int journal_fd) {
  return posix::WriteAllAt(journal_fd, std::string(sizeof kMagic, '\0'), 0);
}

void FinishPending(const std::string& host_path) {
  const std::string journal_path = PathBeside(host_path);
  posix::OpenFile journal(::open(journal_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
  if (journal.get() < 0) return;
  Header header;
  struct stat info;
  if (posix::ReadAllAt(journal.get(), reinterpret_cast<char*>(&header), sizeof header, 0) ==
          win32_error::kSuccess &&
      std::memcmp(header.magic, kMagic, sizeof kMagic) == 0 &&
      ::stat(host_path.c_str(), &info) == 0 && header.device == info.st_dev &&
      header.inode == info.st_ino &&
      (static_cast<uint64_t>(info.st_size) == header.size_before ||
       static_cast<uint64_t>(info.st_size) == header.size_after)) {
    std::string tail(header.tail_size, '\0');
    posix::OpenFile file(::open(host_path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
    if (file.get() >= 0 &&
        posix::ReadAllAt(journal.get(), &tail[0], tail.size(), sizeof header) ==
            win32_error::kSuccess &&
        posix::WriteAllAt(file.get(), tail, header.offset) == win32_error::kSuccess) {
      if (::ftruncate(file.get(), static_cast<off_t>(header.size_after)) != 0) {
        // Left for the next reader, which will find the record again.
        return;
      }
    }
  }
  ::unlink(journal_path.c_str());
}

void Remove(const std::string& host_path) { ::unlink(PathBeside(host_path).c_str()); }

}  // namespace velsetup::host::shrink_journal
