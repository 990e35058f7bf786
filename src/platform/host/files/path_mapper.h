// Windows paths of the simulated machine onto host paths, and back.
//
// Each drive letter maps to a host directory. A path is made full first (see
// windows_path.h), then walked component by component: an entry of the exact
// name wins, else one that matches case-blind, else the component is new and
// keeps the case it is given. Nothing outside the drives' directories is
// reached: a symbolic link inside a drive is followed only when it leads into
// one of the drives (with Z: at the host's root, that is everywhere); one that
// leads elsewhere makes the path fail with "access denied", so the tool can
// neither read nor write through it.
//
// Not thread-safe (it keeps directory listings); the tool is single-threaded.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/host/files/case_blind_lookup.h"
#include "platform/host/files/windows_path.h"

namespace velsetup::host {

struct DriveMapping {
  char letter = 'C';      // upper case
  std::string host_root;  // absolute, without a trailing "/" (except "/")
  // A read-only drive refuses every change with "write protected", as a
  // write-protected medium does; see machine_config.h for which drives are.
  bool writable = true;
};

struct ResolvedPath {
  std::string host_path;
  WindowsPath windows;      // the full Windows path
  bool exists = false;      // the last component exists (after links)
  bool is_directory = false;
  // The path ends on a drive that takes changes: its own drive, or the drive
  // a symbolic link on the way leads into.
  bool writable = true;
};

class PathMapper {
 public:
  PathMapper(std::vector<DriveMapping> drives, WindowsPath current_directory);

  // Returns 0 when every directory on the way exists (the last component need
  // not), or the Win32 error Windows gives: 3 for a missing directory, a
  // file used as one or an unmapped drive, 5 for a link out of the drives,
  // 123 and 206 as ParseWindowsPath. A link leads onto the drive whose
  // directory holds its target most closely, and the path takes that
  // drive's writability, so no link carries a write off a read-only drive.
  uint32_t Resolve(const std::string& windows_path, ResolvedPath* resolved);

  // The Windows form of an absolute host path, through the drive whose
  // directory holds it (the longest such directory wins; for a tie, the first
  // letter). Nothing when no drive holds it.
  std::optional<std::string> WindowsPathOf(const std::string& host_absolute_path) const;

  const std::vector<DriveMapping>& drives() const { return drives_; }
  const WindowsPath& current_directory() const { return current_directory_; }

 private:
  const DriveMapping* DriveOf(char letter) const;
  // The drive whose real directory holds `real_path` most closely; null
  // when none does.
  const DriveMapping* DriveHolding(const std::string& real_path) const;

  std::vector<DriveMapping> drives_;
  std::vector<std::string> real_roots_;  // the drives' directories with links resolved
  WindowsPath current_directory_;
  CaseBlindLookup lookup_;
};

// "/a//b/./c/../d/" is "/a/b/d": lexical, links are not looked at.
std::string LexicallyNormalHostPath(const std::string& path);
std::string JoinHostPath(const std::string& directory, const std::string& name);

}  // namespace velsetup::host
