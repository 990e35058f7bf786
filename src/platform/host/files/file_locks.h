// Sharing violations of the simulated machine: a host file that another
// process holds a lock on (flock, fcntl or open-file-description locks) counts
// as open without write sharing, so it cannot be replaced, deleted or written;
// an exclusive lock counts as open without read sharing as well.
#pragma once

#include <string>

namespace velsetup::host {

// The probe takes and drops an flock of its own for an instant, and counts
// an flock held anywhere else, this process included; the simulation itself
// never holds one, so that is always another holder.
bool IsLockedByAnotherProcess(const std::string& host_path);
// The same probe on a file this process has open already (a regular file).
bool IsLockedByAnotherProcess(int fd);

// Whether another process holds the file without letting others read it: an
// exclusive flock or a write record lock. A shared flock or a read record
// lock is a hold that shares reading but not writing.
bool IsLockedExclusivelyByAnotherProcess(const std::string& host_path);
bool IsLockedExclusivelyByAnotherProcess(int fd);

}  // namespace velsetup::host
