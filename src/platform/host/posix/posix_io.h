// The few POSIX steps every simulated store takes, written once: whole reads
// and writes that survive short transfers and interrupted calls, and a file
// written under a temporary name and put in place in one step, so that no
// reader ever sees it half written.
//
// How host/ reports failure: a helper returns the Win32 error code that the
// Windows call it serves would leave, 0 (kSuccess) for success. errno is read
// right after the POSIX call that set it and turned into that code in one
// place, Win32ErrorFromErrno (errno_mapping.h); nothing above a helper reads
// errno, and only the seam's own calls set the last error, from the code.
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

// All of `bytes` at the descriptor's position.
uint32_t WriteAll(int fd, std::string_view bytes);
// All of `bytes` at `offset`, without moving the position.
uint32_t WriteAllAt(int fd, std::string_view bytes, uint64_t offset);
// Exactly `size` bytes from `offset`; the file's end before them is 38
// (ERROR_HANDLE_EOF).
uint32_t ReadAllAt(int fd, char* data, size_t size, uint64_t offset);

// The host directory that holds `path` ("." for a bare name).
std::string DirectoryOf(const std::string& path);

// How a file written under a temporary name is put in place.
enum class Placement {
  kReplace,     // rename(): an existing file is replaced at once
  kIfAbsent,    // link(): an existing file stands, and counts as done
  kFailIfExists // link(): an existing file is an error (80)
};

// Writes `bytes` to `temporary` (a leftover of that name, from a process
// killed before it finished, is overwritten), synced to disk when
// `sync`, then puts it at `path` as `placement` says; the temporary name is
// gone afterwards whatever happened. On failure the file at `path` is as it
// was.
uint32_t WriteThenPlace(const std::string& temporary, const std::string& path, std::string_view bytes,
                   Placement placement, bool sync);

}  // namespace velsetup::host::posix
