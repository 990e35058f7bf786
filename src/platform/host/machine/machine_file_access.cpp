#include "platform/host/machine/machine_file_access.h"

#include "platform/platform.h"

namespace velsetup::host {

uint32_t MachineFileAccess::Resolve(const std::string& windows_path, std::string* host_path,
                                    bool* writable) {
  ResolvedPath resolved;
  const uint32_t error = paths_.Resolve(windows_path, &resolved);
  if (error == win32_error::kSuccess) {
    *host_path = resolved.host_path;
    *writable = resolved.writable;
  }
  return error;
}

bool MachineFileAccess::IsReadOnly(const std::string& host_path) {
  return attributes_.IsReadOnly(host_path);
}

}  // namespace velsetup::host
