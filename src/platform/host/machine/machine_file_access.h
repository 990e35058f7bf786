// The simulated file system as the profile engine sees it: the machine's path
// mapping, its attributes and its sharing rules, and the shared error slot.
#pragma once

#include "platform/host/files/dos_attributes.h"
#include "platform/host/files/host_file_access.h"
#include "platform/host/machine/last_error.h"
#include "platform/host/files/path_mapper.h"

namespace velsetup::host {

class MachineFileAccess : public HostFileAccess {
 public:
  MachineFileAccess(PathMapper& paths, DosAttributes& attributes, LastError& last_error)
      : paths_(paths), attributes_(attributes), last_error_(last_error) {}

  uint32_t Resolve(const std::string& windows_path, std::string* host_path,
                   bool* writable) override;
  bool IsReadOnly(const std::string& host_path) override;
  void SetLastError(uint32_t code) override { last_error_.code = code; }

 private:
  PathMapper& paths_;
  DosAttributes& attributes_;
  LastError& last_error_;
};

}  // namespace velsetup::host
