// registry.reg on disk: read when it changed, written whole and atomically.
//
// A write goes to a temporary file beside registry.reg, is synced, and is
// renamed over it (the directory is synced too), so a process killed at any
// moment leaves the old file or the new one, never a torn one. The store
// remembers the identity of the file it last read or wrote, so an edit made
// behind its back (a user between runs, a test, another tool) is noticed by
// one stat and read again, and an unchanged file is never parsed twice.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <string>

namespace velsetup::host {

class RegistryStore {
 public:
  explicit RegistryStore(std::string path) : path_(std::move(path)) {}

  const std::string& path() const { return path_; }

  // True when the file is not the one last read or written (also when it
  // appeared or vanished).
  bool ChangedOnDisk() const;

  // The file's bytes; 0, 2 when there is no file, or the Win32 code of
  // the failure.
  uint32_t Read(std::string* bytes);

  // Replaces the file with `bytes`; 0 or the Win32 code of the failure, in
  // which case the old file stands.
  uint32_t Write(const std::string& bytes);

 private:
  struct Identity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};
    bool operator==(const Identity& other) const;
  };
  Identity Current() const;

  std::string path_;
  Identity known_;
  bool read_once_ = false;
};

}  // namespace velsetup::host
