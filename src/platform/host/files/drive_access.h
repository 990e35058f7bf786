// Which drives of the simulated machine take changes.
//
// A run must never change the host outside the machine directory, so a drive
// whose directory lies outside it is read-only, like a write-protected
// medium, unless machine.ini says otherwise in so many words:
//
//   [DriveAccess]
//   D=writable      ; a host directory the user lends the machine
//   E=read-only     ; a drive inside the machine that acts as a CD
//
// A drive inside the machine directory is writable unless marked read-only.
// "Inside" is judged on the real paths, links resolved, so a drive_c that is
// a link to a host directory counts as outside.
#pragma once

#include <string>

namespace velsetup::host {

enum class DriveAccess { kDefault, kWritable, kReadOnly };

// "writable" or "read-only" (case-blind, "readonly" too); false for anything
// else.
bool ParseDriveAccess(const std::string& text, DriveAccess* access);

// Whether `host_path` is `directory` or lies below it, with the links of
// both resolved as far as the paths exist.
bool LiesInside(const std::string& host_path, const std::string& directory);

// Whether a drive on `host_root` takes changes, for the machine in
// `machine_dir` and what machine.ini says of it.
bool DriveIsWritable(const std::string& host_root, const std::string& machine_dir,
                     DriveAccess access);

// The real path of `host_path`: links resolved in the part that exists, the
// rest appended as it is written.
std::string RealPathAllowingMissing(const std::string& host_path);

}  // namespace velsetup::host
