#include "platform/host/profile/host_profile.h"

#include <cstdint>
#include <functional>

namespace velsetup::host {

namespace {

// Written by the store only when the call sets the last error.
constexpr uint32_t kUntouched = 0xFFFFFFFFu;

// A name with no directory in it lives in the Windows directory; anything
// else is a path, relative ones taken from the current directory.
bool IsBareName(const std::string& name) {
  return name.find_first_of("\\/:") == std::string::npos;
}

}  // namespace

uint32_t HostProfile::HostPathOf(const char* file, std::string* host_path, bool* remembered,
                                 bool* writable) {
  // No file at all means the system's own win.ini.
  std::string name = file == nullptr ? "win.ini" : file;
  *remembered = false;
  if (name.empty()) return win32_error::kAccessDenied;
  if (IsBareName(name)) name = windows_dir_ + "\\" + name;
  const auto known = resolved_.find(name);
  if (known != resolved_.end()) {
    *host_path = known->second.host_path;
    if (writable != nullptr) *writable = known->second.writable;
    *remembered = true;
    return 0;
  }
  bool on_writable_drive = true;
  const uint32_t error = files_.Resolve(name, host_path, &on_writable_drive);
  if (error == 0) {
    if (resolved_.size() > 256) resolved_.clear();
    resolved_[name] = Target{*host_path, on_writable_drive};
    if (writable != nullptr) *writable = on_writable_drive;
  }
  return error;
}

void HostProfile::Forget(const char* file) {
  std::string name = file == nullptr ? "win.ini" : file;
  if (IsBareName(name)) name = windows_dir_ + "\\" + name;
  resolved_.erase(name);
}

void HostProfile::Report(uint32_t error) {
  if (error != kUntouched) files_.SetLastError(error);
}

bool HostProfile::RefuseWrite(const std::string& host_path, bool writable) {
  if (!writable) {
    files_.SetLastError(win32_error::kWriteProtect);
    return true;
  }
  if (store_.IsLockedByOther(host_path)) {
    files_.SetLastError(win32_error::kSharingViolation);
    return true;
  }
  if (files_.IsReadOnly(host_path)) {
    files_.SetLastError(win32_error::kAccessDenied);
    return true;
  }
  return false;
}

uint32_t HostProfile::Read(const char* file, PathBlame blame,
                           const std::function<uint32_t(const std::string&, uint32_t*)>& read) {
  for (;;) {
    std::string host_path;
    bool remembered = false;
    const uint32_t path_error = HostPathOf(file, &host_path, &remembered);
    uint32_t error = kUntouched;
    // A path that leads nowhere reads as a missing file: the default comes back.
    const uint32_t result = read(path_error == 0 ? host_path : std::string(), &error);
    if (remembered && error == win32_error::kFileNotFound) {
      Forget(file);
      continue;
    }
    const bool blame_path = path_error != 0 && (blame == PathBlame::kAnyError
                                                    ? error != kUntouched
                                                    : error == win32_error::kFileNotFound);
    Report(blame_path ? path_error : error);
    return result;
  }
}

uint32_t HostProfile::GetPrivateProfileStringA(const char* section, const char* key,
                                               const char* default_value, char* buffer,
                                               uint32_t size, const char* file) {
  return Read(file, PathBlame::kAnyError, [&](const std::string& host_path, uint32_t* error) {
    return store_.GetString(section, key, default_value, buffer, size, host_path, error);
  });
}

uint32_t HostProfile::GetPrivateProfileIntA(const char* section, const char* key,
                                            int32_t default_value, const char* file) {
  // Without a section or a key, Windows 95 and 98 answer 0 where the NT
  // family converts the list of names, or gives the default for a missing
  // file (as recorded by Wine's conformance tests of both families).
  if (!nt_family_ && (section == nullptr || key == nullptr)) return 0;
  return Read(file, PathBlame::kAnyError, [&](const std::string& host_path, uint32_t* error) {
    return store_.GetInt(section, key, default_value, host_path, error);
  });
}

uint32_t HostProfile::GetPrivateProfileSectionA(const char* section, char* buffer, uint32_t size,
                                                const char* file) {
  return Read(file, PathBlame::kMissingFile, [&](const std::string& host_path, uint32_t* error) {
    return store_.GetSection(section, buffer, size, host_path, error);
  });
}

bool HostProfile::Write(const char* file, bool flush,
                        const std::function<bool(const std::string&, uint32_t*)>& write) {
  for (;;) {
    std::string host_path;
    bool remembered = false;
    bool writable = true;
    const uint32_t path_error = HostPathOf(file, &host_path, &remembered, &writable);
    if (path_error != 0) {
      files_.SetLastError(path_error);
      return false;
    }
    if (!flush && RefuseWrite(host_path, writable)) return false;
    uint32_t error = kUntouched;
    const bool ok = write(host_path, &error);
    if (remembered && !ok &&
        (error == win32_error::kFileNotFound || error == win32_error::kPathNotFound)) {
      Forget(file);
      continue;
    }
    Report(error);
    return ok;
  }
}

bool HostProfile::WritePrivateProfileStringA(const char* section, const char* key,
                                             const char* value, const char* file) {
  const bool flush = section == nullptr && key == nullptr && value == nullptr;
  return Write(file, flush, [&](const std::string& host_path, uint32_t* error) {
    return store_.WriteString(section, key, value, host_path, error);
  });
}

bool HostProfile::WritePrivateProfileSectionA(const char* section, const char* data,
                                              const char* file) {
  return Write(file, false, [&](const std::string& host_path, uint32_t* error) {
    return store_.WriteSection(section, data, host_path, error);
  });
}

}  // namespace velsetup::host
