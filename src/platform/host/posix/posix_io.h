// The few POSIX steps every simulated store takes, written once: whole reads
// and writes that survive short transfers and interrupted calls, and a file
// written under a temporary name and put in place in one step, so that no
// reader ever sees it half written. Each reports failure as errno does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velsetup::host::posix {

// A descriptor that closes with its owner.
class OpenFile {
 public:
  OpenFile() = default;
  explicit OpenFile(int fd) : fd_(fd) {}
  OpenFile(OpenFile&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  OpenFile& operator=(OpenFile&& other) noexcept;
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  ~OpenFile() { Reset(); }
  int get() const { return fd_; }
  void Reset();

 private:
  int fd_ = -1;
};

// All of `bytes` at the descriptor's position; false with errno set otherwise.
bool WriteAll(int fd, std::string_view bytes);
// All of `bytes` at `offset`, without moving the position.
bool WriteAllAt(int fd, std::string_view bytes, uint64_t offset);
// Exactly `size` bytes from `offset`; false at an error or the file's end.
bool ReadAllAt(int fd, char* data, size_t size, uint64_t offset);

// The host directory that holds `path` ("." for a bare name).
std::string DirectoryOf(const std::string& path);

// How a file written under a temporary name is put in place.
enum class Placement {
  kReplace,     // rename(): an existing file is replaced at once
  kIfAbsent,    // link(): an existing file stands, and counts as done
  kFailIfExists // link(): an existing file is an error (EEXIST)
};

// Writes `bytes` to `temporary` (a leftover of that name, from a process
// killed before it finished, is overwritten), synced to disk when
// `sync`, then puts it at `path` as `placement` says; the temporary name is
// gone afterwards whatever happened. 0, or the errno of the step that failed
// (the file at `path` is then as it was).
int WriteThenPlace(const std::string& temporary, const std::string& path, std::string_view bytes,
                   Placement placement, bool sync);

}  // namespace velsetup::host::posix
