// What the simulated profile calls need from the simulated file system: the
// host file behind a Windows path, whether the simulation holds it read-only,
// and the shared last-error slot.
#pragma once

#include <cstdint>
#include <string>

namespace velsetup::host {

class HostFileAccess {
 public:
  virtual ~HostFileAccess() = default;
  // Maps a Windows path to the host path behind it: existing components are
  // found case-blind, a missing last component keeps the case it is given.
  // Returns 0 or the Win32 error Windows would give (3 for a missing
  // directory or an unmapped drive, 123 for a bad name, 206 for a long one).
  // `*writable` tells whether the drive the path ends on takes changes.
  virtual uint32_t Resolve(const std::string& windows_path, std::string* host_path,
                           bool* writable) = 0;
  // True when the simulated read-only attribute is set on the host file.
  virtual bool IsReadOnly(const std::string& host_path) = 0;
  virtual void SetLastError(uint32_t code) = 0;
};

}  // namespace velsetup::host
