#include "platform/host/files/host_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/host/posix/errno_mapping.h"
#include "platform/host/files/file_locks.h"
#include "platform/host/posix/posix_io.h"

namespace velsetup::host {

namespace {


// Lets the kernel copy (and share extents where the file system can) before
// the read and write loop takes over what is left, if anything: the offsets
// of both files stand where the kernel stopped. 0, or the code of a failure
// that the loop would meet too.
uint32_t CopyByKernel(int in, int out, off_t size) {
#ifdef __linux__
  while (size > 0) {
    const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr,
                                             static_cast<size_t>(size), 0);
    if (copied > 0) {
      size -= copied;
      continue;
    }
    if (copied < 0 && errno == EINTR) continue;
    // 0 (a file that shrank meanwhile) or a file system that cannot: the
    // loop finishes from here.
    if (copied < 0 && errno != ENOSPC && errno != EIO && errno != EDQUOT) return 0;
    return copied < 0 ? Win32ErrorFromErrno(errno) : win32_error::kSuccess;
  }
#else
  (void)in;
  (void)out;
  (void)size;
#endif
  return 0;
}


// The copy is written under this name beside the destination and renamed
// over it when complete. The ":" keeps it out of the tool's reach (see
// DosAttributes::IsSimulationFile), the pid and counter apart from others.
std::string TemporaryNameIn(const std::string& directory) {
  static unsigned counter = 0;
  return JoinHostPath(directory, ".copy:" + std::to_string(::getpid()) + "." +
                                     std::to_string(++counter));
}

}  // namespace

bool HostFiles::Fail(uint32_t code) {
  last_error_.code = code;
  return false;
}

bool HostFiles::ResolveArgument(const char* path, ResolvedPath* resolved) {
  if (path == nullptr) return Fail(win32_error::kPathNotFound);
  const uint32_t error = paths_.Resolve(path, resolved);
  if (error != win32_error::kSuccess) return Fail(error);
  return true;
}

uint32_t HostFiles::GetFileAttributesA(const char* path) {
  ResolvedPath resolved;
  if (!ResolveArgument(path, &resolved)) return file_attribute::kInvalid;
  if (!resolved.exists) {
    Fail(win32_error::kFileNotFound);
    return file_attribute::kInvalid;
  }
  return attributes_.Reported(resolved.host_path, resolved.is_directory);
}

bool HostFiles::SetFileAttributesA(const char* path, uint32_t attributes) {
  ResolvedPath resolved;
  if (!ResolveArgument(path, &resolved)) return false;
  if (!resolved.exists) return Fail(win32_error::kFileNotFound);
  if (!resolved.writable) return Fail(win32_error::kWriteProtect);
  // FILE_ATTRIBUTE_NORMAL is valid only alone, where it clears everything;
  // bits the call cannot set (the directory bit among them) are ignored.
  const uint32_t bits = attributes == file_attribute::kNormal ? 0 : attributes & kStoredAttributes;
  const uint32_t error = attributes_.Store(resolved.host_path, bits);
  if (error != win32_error::kSuccess) return Fail(error);
  return true;
}

bool HostFiles::CopyFileA(const char* source, const char* destination, bool fail_if_exists) {
  ResolvedPath from;
  if (!ResolveArgument(source, &from)) return false;
  if (!from.exists) return Fail(win32_error::kFileNotFound);
  if (from.is_directory) return Fail(win32_error::kAccessDenied);
  ResolvedPath to;
  if (!ResolveArgument(destination, &to)) return false;
  if (!to.writable) return Fail(win32_error::kWriteProtect);
  if (to.exists) {
    if (to.is_directory) return Fail(win32_error::kAccessDenied);
    if (fail_if_exists) return Fail(win32_error::kFileExists);
    struct stat source_info, destination_info;
    if (::stat(from.host_path.c_str(), &source_info) == 0 &&
        ::stat(to.host_path.c_str(), &destination_info) == 0 &&
        source_info.st_dev == destination_info.st_dev &&
        source_info.st_ino == destination_info.st_ino) {
      // Windows opens the source, then fails to open it again for writing.
      return Fail(win32_error::kSharingViolation);
    }
    const uint32_t existing = attributes_.Stored(to.host_path, false);
    if ((existing & file_attribute::kReadOnly) != 0) return Fail(win32_error::kAccessDenied);
    // CreateFile refuses to replace a hidden or system file with one that
    // lacks those bits, and CopyFileA creates with the source's bits.
    const uint32_t guarded = existing & (file_attribute::kHidden | file_attribute::kSystem);
    if ((attributes_.Stored(from.host_path, false) & guarded) != guarded) {
      return Fail(win32_error::kAccessDenied);
    }
    if (IsLockedByAnotherProcess(to.host_path)) return Fail(win32_error::kSharingViolation);
  }
  const uint32_t error = CopyContents(from, to, fail_if_exists);
  if (error != win32_error::kSuccess) return Fail(error);
  return true;
}

uint32_t HostFiles::CopyContents(const ResolvedPath& source, const ResolvedPath& destination,
                                 bool fail_if_exists) {
  const int in = ::open(source.host_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (in < 0) return Win32ErrorFromErrno(errno);
  struct stat info;
  if (::fstat(in, &info) != 0) {
    const int error_number = errno;
    ::close(in);
    return Win32ErrorFromErrno(error_number);
  }
  // The destination gets the source's attributes and the archive bit, as
  // Windows gives a copy; they are stored before the copy takes its name, so
  // a read-only copy is never writable under it for an instant.
  const uint32_t bits = attributes_.Stored(source.host_path, false) | file_attribute::kArchive;

  const std::string temporary = TemporaryNameIn(posix::DirectoryOf(destination.host_path));
  // Owner-writable until the end: a user's extended attribute can be set only
  // on a file its owner may write.
  const int out = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out < 0) {
    const int error_number = errno;
    ::close(in);
    return Win32ErrorFromErrno(error_number);
  }
  uint32_t error = CopyByKernel(in, out, info.st_size);
  char buffer[64 * 1024];
  while (error == win32_error::kSuccess) {
    const ssize_t got = ::read(in, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      error = Win32ErrorFromErrno(errno);
      break;
    }
    if (got == 0) break;
    error = posix::WriteAll(out, std::string_view(buffer, static_cast<size_t>(got)));
  }
  ::close(in);
  const bool bits_stored = error == win32_error::kSuccess && attributes_.StoreOnOpenFile(out, bits);
  if (error == win32_error::kSuccess) {
    // Last write time travels with the copy; last access is now.
    const timespec times[2] = {{0, UTIME_NOW}, info.st_mtim};
    ::futimens(out, times);
    ::fchmod(out, info.st_mode & 0777);  // the source's host permissions
  }
  if (::close(out) != 0 && error == win32_error::kSuccess) error = Win32ErrorFromErrno(errno);
  if (error == win32_error::kSuccess) {
    // fail_if_exists: link() does not replace, so a destination that appeared
    // meanwhile is not overwritten either.
    const int placed = fail_if_exists ? ::link(temporary.c_str(), destination.host_path.c_str())
                                      : ::rename(temporary.c_str(), destination.host_path.c_str());
    if (placed != 0) error = Win32ErrorFromErrno(errno);
  }
  // After link() the copy lives on under its name as well; after a rename
  // the temporary name is gone already.
  if (fail_if_exists || error != win32_error::kSuccess) ::unlink(temporary.c_str());
  if (error != win32_error::kSuccess) return error;

  if (bits_stored) {
    attributes_.Forget(destination.host_path);
  } else {
    const uint32_t error = attributes_.Store(destination.host_path, bits);
    if (error != win32_error::kSuccess) return error;
  }
  return win32_error::kSuccess;
}

bool HostFiles::DeleteFileA(const char* path) {
  ResolvedPath resolved;
  if (!ResolveArgument(path, &resolved)) return false;
  if (!resolved.exists) return Fail(win32_error::kFileNotFound);
  if (resolved.is_directory) return Fail(win32_error::kAccessDenied);
  if (!resolved.writable) return Fail(win32_error::kWriteProtect);
  if (attributes_.IsReadOnly(resolved.host_path)) return Fail(win32_error::kAccessDenied);
  if (IsLockedByAnotherProcess(resolved.host_path)) return Fail(win32_error::kSharingViolation);
  if (::unlink(resolved.host_path.c_str()) != 0) return Fail(Win32ErrorFromErrno(errno));
  attributes_.Forget(resolved.host_path);
  return true;
}

bool HostFiles::AppendText(const char* path, const std::string& text) {
  ResolvedPath resolved;
  if (!ResolveArgument(path, &resolved)) return false;
  // Read once: the append does not change them, and the archive bit below
  // is set from what they were.
  uint32_t stored = 0;
  if (resolved.exists && resolved.is_directory) return Fail(win32_error::kAccessDenied);
  if (!resolved.writable) return Fail(win32_error::kWriteProtect);
  if (resolved.exists) {
    stored = attributes_.Stored(resolved.host_path, false);
    if ((stored & file_attribute::kReadOnly) != 0) return Fail(win32_error::kAccessDenied);
  }
  const int fd = ::open(resolved.host_path.c_str(),
                        O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) return Fail(Win32ErrorFromErrno(errno));
  struct stat info;
  const bool have_info = ::fstat(fd, &info) == 0;
  // The lock probe on the descriptor the text goes through: the log gets a
  // line per event, and a second open per line doubles its cost.
  if (resolved.exists && have_info && S_ISREG(info.st_mode) && IsLockedByAnotherProcess(fd)) {
    ::close(fd);
    return Fail(win32_error::kSharingViolation);
  }
  // The C runtime's "a+" removes a CTRL+Z that ends the file before it
  // appends, so the text lands where a reader in text mode sees the end.
  if (have_info && info.st_size > 0) {
    char last = 0;
    if (::pread(fd, &last, 1, info.st_size - 1) == 1 && last == '\x1a') {
      if (::ftruncate(fd, info.st_size - 1) != 0) {
        // Left as it is: the append still goes through.
      }
    }
  }
  std::string translated;
  translated.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') translated += '\r';
    translated += c;
  }
  uint32_t error = posix::WriteAll(fd, translated);
  if (::close(fd) != 0 && error == win32_error::kSuccess) error = Win32ErrorFromErrno(errno);
  if (error != win32_error::kSuccess) return Fail(error);
  // Writing to a file sets its archive bit on Windows.
  if (resolved.exists && (stored & file_attribute::kArchive) == 0) {
    attributes_.Store(resolved.host_path, stored | file_attribute::kArchive);
  }
  return true;
}

}  // namespace velsetup::host

namespace velsetup::host {

bool HostFiles::ReadWholeFile(const char* path, std::string* bytes) {
  bytes->clear();
  ResolvedPath resolved;
  if (!ResolveArgument(path, &resolved)) return false;
  if (!resolved.exists) return Fail(win32_error::kFileNotFound);
  if (resolved.is_directory) return Fail(win32_error::kAccessDenied);
  // A reader that shares reading only cannot open a file another holds.
  if (IsLockedByAnotherProcess(resolved.host_path)) return Fail(win32_error::kSharingViolation);
  const int fd = ::open(resolved.host_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return Fail(Win32ErrorFromErrno(errno));
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      const int error_number = errno;
      ::close(fd);
      bytes->clear();
      return Fail(Win32ErrorFromErrno(error_number));
    }
    if (got == 0) break;
    bytes->append(buffer, static_cast<size_t>(got));
  }
  ::close(fd);
  return true;
}

bool HostFiles::WriteNewFile(const char* path, const std::string& bytes) {
  ResolvedPath resolved;
  if (!ResolveArgument(path, &resolved)) return false;
  if (!resolved.writable) return Fail(win32_error::kWriteProtect);
  if (resolved.exists) {
    if (resolved.is_directory) return Fail(win32_error::kAccessDenied);
    // CREATE_ALWAYS refuses a read-only file, and a hidden or system one when
    // the new attributes (FILE_ATTRIBUTE_NORMAL) lack those bits.
    const uint32_t existing = attributes_.Stored(resolved.host_path, false);
    if ((existing & (file_attribute::kReadOnly | file_attribute::kHidden |
                     file_attribute::kSystem)) != 0) {
      return Fail(win32_error::kAccessDenied);
    }
    if (IsLockedByAnotherProcess(resolved.host_path)) return Fail(win32_error::kSharingViolation);
  }
  const std::string temporary = TemporaryNameIn(posix::DirectoryOf(resolved.host_path));
  const uint32_t error = posix::WriteThenPlace(temporary, resolved.host_path, bytes,
                                               posix::Placement::kReplace, /*sync=*/true);
  if (error != win32_error::kSuccess) return Fail(error);
  // A new file has the archive bit only; a sidecar of the old one goes.
  attributes_.Forget(resolved.host_path);
  return true;
}

bool HostFiles::MoveFileA(const char* existing, const char* new_name) {
  return Move(existing, new_name, false, true);
}

bool HostFiles::MoveFileExA(const char* existing, const char* new_name, uint32_t flags) {
  if (!nt_family_) return Fail(win32_error::kCallNotImplemented);
  return Move(existing, new_name, (flags & move_file::kReplaceExisting) != 0,
              (flags & move_file::kCopyAllowed) != 0);
}

bool HostFiles::Move(const char* existing, const char* new_name, bool replace,
                     bool copy_allowed) {
  ResolvedPath from;
  if (!ResolveArgument(existing, &from)) return false;
  if (!from.exists) return Fail(win32_error::kFileNotFound);
  ResolvedPath to;
  if (!ResolveArgument(new_name, &to)) return false;
  // Moving off a read-only drive would delete there, onto one would write.
  if (!from.writable || !to.writable) return Fail(win32_error::kWriteProtect);
  if (to.exists) {
    struct stat source_info, destination_info;
    if (::stat(from.host_path.c_str(), &source_info) == 0 &&
        ::stat(to.host_path.c_str(), &destination_info) == 0 &&
        source_info.st_dev == destination_info.st_dev &&
        source_info.st_ino == destination_info.st_ino) {
      // A move onto itself (a new spelling of the same name) changes nothing
      // the simulation keeps: names are found case-blind anyway.
      return true;
    }
    if (!replace) return Fail(win32_error::kAlreadyExists);
    if (to.is_directory || from.is_directory) return Fail(win32_error::kAccessDenied);
    if (attributes_.IsReadOnly(to.host_path)) return Fail(win32_error::kAccessDenied);
    if (IsLockedByAnotherProcess(to.host_path)) return Fail(win32_error::kSharingViolation);
  }
  // Each drive is a volume of its own to a program, wherever the simulation
  // keeps its directory: a directory never leaves its drive, and a file does
  // so only where the caller allows copying.
  if (from.windows.drive != to.windows.drive && (from.is_directory || !copy_allowed)) {
    return Fail(win32_error::kNotSameDevice);
  }
  if (!from.is_directory && IsLockedByAnotherProcess(from.host_path)) {
    return Fail(win32_error::kSharingViolation);
  }
  const uint32_t bits = attributes_.Stored(from.host_path, from.is_directory);
  if (::rename(from.host_path.c_str(), to.host_path.c_str()) != 0) {
    const int error_number = errno;
    if (error_number != EXDEV) return Fail(Win32ErrorFromErrno(error_number));
    // Another volume: a file is copied and the original deleted, where the
    // caller allows it; a directory never moves across volumes.
    if (!copy_allowed || from.is_directory) return Fail(win32_error::kNotSameDevice);
    const uint32_t error = CopyContents(from, to, !replace);
    if (error != win32_error::kSuccess) return Fail(error);
    if (::unlink(from.host_path.c_str()) != 0) return Fail(Win32ErrorFromErrno(errno));
    attributes_.Forget(from.host_path);
    return true;
  }
  // The attributes travel with the file: an extended attribute by itself, a
  // sidecar by being written anew.
  attributes_.Forget(from.host_path);
  attributes_.Forget(to.host_path);
  if (attributes_.Stored(to.host_path, from.is_directory) != bits) {
    attributes_.Store(to.host_path, bits);
  }
  return true;
}

}  // namespace velsetup::host
