// Windows path text, without any file system behind it: how a path given to a
// Win32 call turns into the full path the call works on, as GetFullPathNameA
// forms it on the NT family (forward slashes taken as backslashes, "." and ".."
// folded, trailing dots and blanks of each component dropped).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velsetup::host {

// The longest path a Win32 A call takes: MAX_PATH less its terminator.
constexpr size_t kMaxWindowsPath = 259;
// The longest file name a component may have (FAT long names and NTFS alike).
constexpr size_t kMaxComponent = 255;

struct WindowsPath {
  char drive = 'C';  // upper case
  std::vector<std::string> components;

  // "C:\" for a drive's root, "C:\a\b" otherwise.
  std::string Text() const;
};

// Forms the full path of `path`, given the process's current directory.
// Returns 0, or the Win32 error Windows gives: 3 for a path that names no
// drive (UNC and device paths, which the simulated machine does not have) or
// an empty one, 123 for a character Windows forbids in a name, 206 for a path
// or component longer than Windows takes.
uint32_t ParseWindowsPath(const std::string& path, const WindowsPath& current_directory,
                          WindowsPath* full);

// For paths that must be absolute (configuration): "X:\..." or "X:/...".
bool ParseAbsoluteWindowsPath(const std::string& path, WindowsPath* full);

// ASCII case folding, as the simulation compares names (the host's names are
// bytes in no known code page, so only A-Z fold).
char FoldCase(char c);
bool EqualsCaseBlind(const std::string& a, const std::string& b);

}  // namespace velsetup::host
