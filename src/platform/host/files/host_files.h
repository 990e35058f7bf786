// FileApi of the simulated machine: the Win32 file calls on the files of the
// drives, with Windows' error codes, attributes and sharing rules. Read-only
// is the simulation's own rule, so it holds when the tool runs as root too.
#pragma once

#include <map>
#include <vector>

#include "platform/host/files/dos_attributes.h"
#include "platform/host/machine/last_error.h"
#include "platform/host/files/path_mapper.h"
#include "platform/platform.h"

namespace velsetup::host {

class HostFiles : public FileApi {
 public:
  // `nt_family` false simulates the Windows 9x family, which lacks MoveFileExA.
  HostFiles(PathMapper& paths, DosAttributes& attributes, LastError& last_error,
            bool nt_family = true)
      : paths_(paths), attributes_(attributes), last_error_(last_error), nt_family_(nt_family) {}

  uint32_t GetFileAttributesA(const char* path) override;
  bool SetFileAttributesA(const char* path, uint32_t attributes) override;
  bool CopyFileA(const char* source, const char* destination, bool fail_if_exists) override;
  bool DeleteFileA(const char* path) override;
  bool AppendText(const char* path, const std::string& text) override;
  bool ReadWholeFile(const char* path, std::string* bytes) override;
  // The new contents are written under a temporary name and renamed over the
  // file, so a process killed meanwhile leaves the old file or the new one.
  bool WriteNewFile(const char* path, const std::string& bytes) override;
  bool MoveFileA(const char* existing, const char* new_name) override;
  bool MoveFileExA(const char* existing, const char* new_name, uint32_t flags) override;
  bool CreateDirectoryA(const char* path) override;
  // Refuses a read-only directory (5), as Windows of both families does.
  bool RemoveDirectoryA(const char* path) override;
  // The entries are those of the moment of the call, in the case-blind order
  // of their names as NTFS lists them, "." and ".." first below a root.
  FindHandle FindFirstFileA(const char* pattern, FindData* data) override;
  bool FindNextFileA(FindHandle search, FindData* data) override;
  bool FindClose(FindHandle search) override;

 private:
  // Resolves a path argument; false with the error set when that fails.
  bool ResolveArgument(const char* path, ResolvedPath* resolved);
  bool Fail(uint32_t code);
  uint32_t CopyContents(const ResolvedPath& source, const ResolvedPath& destination,
                        bool fail_if_exists);
  bool Move(const char* existing, const char* new_name, bool replace, bool copy_allowed);

  // The entries of a directory that a listing shows: no simulation files,
  // no names Windows cannot have; "." and ".." below a drive's root.
  std::vector<FindData> ListDirectory(const ResolvedPath& directory);
  FindHandle StartSearch(std::vector<FindData> entries, FindData* data);

  struct Search {
    std::vector<FindData> entries;
    size_t next = 0;
  };
  std::map<FindHandle, Search> searches_;
  FindHandle next_search_ = 1;

  PathMapper& paths_;
  DosAttributes& attributes_;
  LastError& last_error_;
  bool nt_family_;
};

}  // namespace velsetup::host
