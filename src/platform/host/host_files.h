// FileApi of the simulated machine: the Win32 file calls on the files of the
// drives, with Windows' error codes, attributes and sharing rules. Read-only
// is the simulation's own rule, so it holds when the tool runs as root too.
#pragma once

#include "platform/host/dos_attributes.h"
#include "platform/host/last_error.h"
#include "platform/host/path_mapper.h"
#include "platform/platform.h"

namespace velsetup::host {

class HostFiles : public FileApi {
 public:
  HostFiles(PathMapper& paths, DosAttributes& attributes, LastError& last_error)
      : paths_(paths), attributes_(attributes), last_error_(last_error) {}

  uint32_t GetFileAttributesA(const char* path) override;
  bool SetFileAttributesA(const char* path, uint32_t attributes) override;
  bool CopyFileA(const char* source, const char* destination, bool fail_if_exists) override;
  bool DeleteFileA(const char* path) override;
  bool AppendText(const char* path, const std::string& text) override;

 private:
  // Resolves a path argument; false with the error set when that fails.
  bool ResolveArgument(const char* path, ResolvedPath* resolved);
  bool Fail(uint32_t code);
  uint32_t CopyContents(const ResolvedPath& source, const ResolvedPath& destination,
                        bool fail_if_exists);

  PathMapper& paths_;
  DosAttributes& attributes_;
  LastError& last_error_;
};

}  // namespace velsetup::host
