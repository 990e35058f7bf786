// Sharing violations of the simulated machine: a host file that another
// process holds a lock on (flock, fcntl or open-file-description locks) counts
// as open without sharing, so it cannot be replaced, deleted or written.
#pragma once

#include <string>

namespace velsetup::host {

// The probe takes and drops an flock of its own for an instant, and counts
// an flock held anywhere else, this process included; the simulation itself
// never holds one, so that is always another holder.
bool IsLockedByAnotherProcess(const std::string& host_path);
// The same probe on a file this process has open already (a regular file).
bool IsLockedByAnotherProcess(int fd);

}  // namespace velsetup::host
