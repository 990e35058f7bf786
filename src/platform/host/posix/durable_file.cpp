#include "platform/host/posix/durable_file.h"

#include <fcntl.h>
#include <unistd.h>

#include "platform/host/machine/fault_injection.h"
#include "platform/host/posix/posix_io.h"
#include "platform/platform.h"

namespace velsetup::host {

uint32_t ReplaceFileDurably(const std::string& path, const std::string& bytes) {
  // The ':' keeps the name out of the simulated file system's reach; the
  // pid keeps two tools on one machine apart.
  const std::string temporary = path + ":" + std::to_string(::getpid()) + ".new";
  const uint32_t error =
      posix::WriteThenPlace(temporary, path, bytes, posix::Placement::kReplace, /*sync=*/true);
  if (error != win32_error::kSuccess) return error;
  const int directory = ::open(posix::DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (directory >= 0) {
    ::fsync(directory);
    ::close(directory);
  }
  fault::Wrote();
  return 0;
}

}  // namespace velsetup::host
