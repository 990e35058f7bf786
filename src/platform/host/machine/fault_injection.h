// Faults the simulated machine can be told to suffer, for testing that a run
// survives them. Both come from the environment, read once per process:
//
//   VELSETUP_KILL_AFTER_WRITES=N  the process kills itself (SIGKILL) right
//       after the Nth write that changes what the machine holds on disk: a
//       profile write, a replacement of registry.reg or cmos.bin, a log
//       append, a file copied, created, moved, deleted or given attributes, a
//       directory made or removed. Where one call writes in two steps, each
//       step counts, so a kill can fall between them.
//   VELSETUP_FAIL_CALL=<call>:<error>[:<nth>][@<text>]  the platform call of
//       that name (CopyFileA, AppendText, WritePrivateProfileStringA,
//       RegSetValueExA, ...) fails with that Win32 error, having written
//       nothing: every call of that name, or only its nth (counted from 1).
//       With @<text>, only calls whose subject holds the text count: the
//       path for a file call, the text for AppendText, the key for a profile
//       write, the value or key name for a registry call. Several faults are
//       separated by commas.
//
// Without these variables nothing is counted and nothing fails.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/host/machine/last_error.h"
#include "platform/platform.h"
#include "platform/registry_api.h"

namespace velsetup::host {

namespace fault {

// To be called after each write that changes the machine's disk.
void Wrote();
// The error that call `name` on `subject` is to fail with this time, or 0;
// each call that matches counts toward its nth.
uint32_t InjectedError(const char* name, std::string_view subject);
// Whether any fault is asked for, so that the platform installs the seams
// below at all.
bool Configured();
// What is wrong with the two variables as the environment holds them, one
// sentence naming the variable and the bad part; empty when both are usable
// (or not set). A run asked for with a typo in them would run without the
// fault and prove nothing, so the host program refuses to start.
std::string EnvironmentProblem();
// The same check on given texts (null: not set).
std::string Problem(const char* kill_after_writes, const char* fail_call);

}  // namespace fault

// The file calls with the faults put in: failures before the call, the write
// count after each call that changed something.
class FaultyFiles : public FileApi {
 public:
  FaultyFiles(FileApi& inner, LastError& last_error) : inner_(inner), last_error_(last_error) {}

  uint32_t GetFileAttributesA(const char* path) override { return inner_.GetFileAttributesA(path); }
  bool SetFileAttributesA(const char* path, uint32_t attributes) override;
  bool CopyFileA(const char* source, const char* destination, bool fail_if_exists) override;
  bool DeleteFileA(const char* path) override;
  bool AppendText(const char* path, const std::string& text) override;
  bool ReadWholeFile(const char* path, std::string* bytes) override;
  bool WriteNewFile(const char* path, const std::string& bytes) override;
  bool MoveFileA(const char* existing, const char* new_name) override;
  bool MoveFileExA(const char* existing, const char* new_name, uint32_t flags) override;
  bool CreateDirectoryA(const char* path) override;
  bool RemoveDirectoryA(const char* path) override;
  FindHandle FindFirstFileA(const char* pattern, FindData* data) override {
    return inner_.FindFirstFileA(pattern, data);
  }
  bool FindNextFileA(FindHandle search, FindData* data) override {
    return inner_.FindNextFileA(search, data);
  }
  bool FindClose(FindHandle search) override { return inner_.FindClose(search); }

 private:
  // False with the last error set when the call is to fail.
  bool Allowed(const char* name, const char* subject);
  bool Counted(bool done);

  FileApi& inner_;
  LastError& last_error_;
};

// Profile writes fail here; they are counted where they reach the disk.
class FaultyProfile : public ProfileApi {
 public:
  FaultyProfile(ProfileApi& inner, LastError& last_error)
      : inner_(inner), last_error_(last_error) {}

  uint32_t GetPrivateProfileStringA(const char* section, const char* key,
                                    const char* default_value, char* buffer, uint32_t size,
                                    const char* file) override {
    return inner_.GetPrivateProfileStringA(section, key, default_value, buffer, size, file);
  }
  uint32_t GetPrivateProfileIntA(const char* section, const char* key, int32_t default_value,
                                 const char* file) override {
    return inner_.GetPrivateProfileIntA(section, key, default_value, file);
  }
  uint32_t GetPrivateProfileSectionA(const char* section, char* buffer, uint32_t size,
                                     const char* file) override {
    return inner_.GetPrivateProfileSectionA(section, buffer, size, file);
  }
  bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                  const char* file) override;
  bool WritePrivateProfileSectionA(const char* section, const char* data,
                                   const char* file) override;

 private:
  ProfileApi& inner_;
  LastError& last_error_;
};

// Registry edits fail here; they are counted when registry.reg is replaced.
class FaultyRegistry : public RegistryApi {
 public:
  explicit FaultyRegistry(RegistryApi& inner) : inner_(inner) {}

  int32_t RegCreateKeyExA(RegistryKey key, const char* sub_key, uint32_t options,
                          uint32_t access, RegistryKey* result) override;
  int32_t RegOpenKeyExA(RegistryKey key, const char* sub_key, uint32_t options, uint32_t access,
                        RegistryKey* result) override {
    return inner_.RegOpenKeyExA(key, sub_key, options, access, result);
  }
  int32_t RegSetValueExA(RegistryKey key, const char* value_name, uint32_t type,
                         const uint8_t* data, uint32_t size) override;
  int32_t RegQueryValueExA(RegistryKey key, const char* value_name, uint32_t* type,
                           uint8_t* data, uint32_t* size) override {
    return inner_.RegQueryValueExA(key, value_name, type, data, size);
  }
  int32_t RegDeleteValueA(RegistryKey key, const char* value_name) override;
  int32_t RegDeleteKeyA(RegistryKey key, const char* sub_key) override;
  int32_t RegEnumKeyA(RegistryKey key, uint32_t index, char* name, uint32_t size) override {
    return inner_.RegEnumKeyA(key, index, name, size);
  }
  int32_t RegCloseKey(RegistryKey key) override { return inner_.RegCloseKey(key); }
  int32_t RegFlushKey(RegistryKey key) override { return inner_.RegFlushKey(key); }

 private:
  RegistryApi& inner_;
};

}  // namespace velsetup::host
