// ProfileApi of the simulated machine: Windows paths mapped through the
// simulated file system onto the profile engine.
#pragma once

#include "platform/host/files/host_file_access.h"
#include "platform/host/profile/profile_store.h"
#include "platform/platform.h"

#include <functional>
#include <string>
#include <unordered_map>
#include <utility>

namespace velsetup::host {

class HostProfile : public ProfileApi {
 public:
  // `windows_dir` is where a bare file name is looked for, as Windows does;
  // `nt_family` chooses between the two families where they answer apart.
  HostProfile(HostFileAccess& files, std::string windows_dir, bool nt_family = true)
      : files_(files), windows_dir_(std::move(windows_dir)), nt_family_(nt_family) {}

  uint32_t GetPrivateProfileStringA(const char* section, const char* key,
                                    const char* default_value, char* buffer, uint32_t size,
                                    const char* file) override;
  uint32_t GetPrivateProfileIntA(const char* section, const char* key, int32_t default_value,
                                 const char* file) override;
  uint32_t GetPrivateProfileSectionA(const char* section, char* buffer, uint32_t size,
                                     const char* file) override;
  bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                  const char* file) override;
  bool WritePrivateProfileSectionA(const char* section, const char* data,
                                   const char* file) override;

  ProfileStore& store() { return store_; }

 private:
  // The host file behind `file` as the profile calls name files; 0 or the
  // Win32 error of a path that leads nowhere.
  // `*remembered` tells a path taken from the last lookup: a call that then
  // finds no file forgets it and looks again. `*writable` (when asked for)
  // tells whether the file's drive takes changes.
  uint32_t HostPathOf(const char* file, std::string* host_path, bool* remembered,
                      bool* writable = nullptr);
  void Forget(const char* file);
  void Report(uint32_t error);
  // Which errors of the store give way to the path's own error when the path
  // led nowhere: any error the store set, or only a missing file.
  enum class PathBlame { kAnyError, kMissingFile };
  // One read through the store; a remembered path that finds no file is
  // forgotten and the read done once more.
  uint32_t Read(const char* file, PathBlame blame,
                const std::function<uint32_t(const std::string&, uint32_t*)>& read);
  // One write through the store, the same way; a flush is no change and is
  // never refused for the file's sake.
  bool Write(const char* file, bool flush,
             const std::function<bool(const std::string&, uint32_t*)>& write);
  bool RefuseWrite(const std::string& host_path, bool writable);

  HostFileAccess& files_;
  std::string windows_dir_;
  bool nt_family_ = true;
  // The host file each profile path led to last. A run names the same
  // working copy thousands of times; the lookup, component by component, is
  // redone only when a call finds no file there.
  struct Target {
    std::string host_path;
    bool writable = true;
  };
  std::unordered_map<std::string, Target> resolved_;
  ProfileStore store_;
};

}  // namespace velsetup::host
