// The real machine: every call passes straight to the Win32 A function of the
// same name. Nothing here adds behaviour of its own.
#pragma once

#include <vector>

#include "platform/platform.h"
#include "platform/win32/win32_registry.h"

namespace velsetup::win32 {

class Win32Profile : public ProfileApi {
 public:
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
};

class Win32Files : public FileApi {
 public:
  uint32_t GetFileAttributesA(const char* path) override;
  bool SetFileAttributesA(const char* path, uint32_t attributes) override;
  bool CopyFileA(const char* source, const char* destination, bool fail_if_exists) override;
  bool DeleteFileA(const char* path) override;
  bool AppendText(const char* path, const std::string& text) override;
  bool ReadWholeFile(const char* path, std::string* bytes) override;
  bool WriteNewFile(const char* path, const std::string& bytes) override;
  bool MoveFileA(const char* existing, const char* new_name) override;
  bool MoveFileExA(const char* existing, const char* new_name, uint32_t flags) override;  bool CreateDirectoryA(const char* path) override;
  bool RemoveDirectoryA(const char* path) override;
  FindHandle FindFirstFileA(const char* pattern, FindData* data) override;
  bool FindNextFileA(FindHandle search, FindData* data) override;
  bool FindClose(FindHandle search) override;
};

class Win32System : public SystemApi {
 public:
  bool GetVersionExA(OsVersionInfo* info) override;
  uint32_t GetWindowsDirectoryA(char* buffer, uint32_t size) override;
  uint32_t GetSystemDirectoryA(char* buffer, uint32_t size) override;
  uint32_t GetTempPathA(uint32_t size, char* buffer) override;
  uint32_t GetCurrentDirectoryA(uint32_t size, char* buffer) override;
  uint32_t GetModuleFileNameA(char* buffer, uint32_t size) override;
  uint32_t GetCurrentProcessId() override;
  uint16_t GetUserDefaultLangID() override;
  void GetLocalTime(LocalTime* time) override;
  void Sleep(uint32_t milliseconds) override;
  uint32_t GetLastError() override;
  void SetLastError(uint32_t code) override;
  bool FormatSystemMessage(uint32_t code, std::string* text) override;
  bool OpenProcessToken() override;
  bool EnablePrivilege(const char* privilege_name) override;
  bool ExitWindowsEx(uint32_t flags, uint32_t reserved) override;
  ~Win32System() override;

 private:
  void* token_ = nullptr;  // the process token, once opened
};

class Win32Processes : public ProcessApi {
 public:
  bool CreateProcessA(const char* command_line, const char* directory, uint32_t startup_flags,
                      ProcessHandle* process) override;
  uint32_t WaitForSingleObject(ProcessHandle process, uint32_t milliseconds) override;
  bool CloseHandle(ProcessHandle process) override;
};

class Win32Ui : public UiApi {
 public:
  int MessageBoxA(const char* text, const char* caption, uint32_t style) override;
};

class Win32Devices : public DeviceApi {
 public:
  ~Win32Devices() override;
  DeviceHandle OpenDevice(const char* name) override;
  bool DeviceIoControl(DeviceHandle device, uint32_t code, const void* in, uint32_t in_size,
                       void* out, uint32_t out_size, uint32_t* returned) override;
  bool CloseDevice(DeviceHandle device) override;
  // Committed pages at the lowest free addresses that VirtualQuery finds,
  // handed out in pieces; null when no free range below 4 GB is left.
  uint8_t* LowMemory(size_t size) override;

 private:
  struct Region {
    uint8_t* base;
    size_t size;
    size_t used;
  };
  std::vector<Region> regions_;
};

class Win32Services : public ServiceApi {
 public:
  ServiceHandle OpenSCManagerA(uint32_t access) override;
  ServiceHandle CreateServiceA(ServiceHandle manager, const char* name, const char* display_name,
                               uint32_t access, uint32_t service_type, uint32_t start_type,
                               uint32_t error_control, const char* binary_path) override;
  ServiceHandle OpenServiceA(ServiceHandle manager, const char* name, uint32_t access) override;
  bool StartServiceA(ServiceHandle service) override;
  bool QueryServiceStatus(ServiceHandle service, uint32_t* current_state) override;
  bool ControlService(ServiceHandle service, uint32_t control, uint32_t* current_state) override;
  bool DeleteService(ServiceHandle service) override;
  bool CloseServiceHandle(ServiceHandle handle) override;
};

class Win32Platform {
 public:
  Platform platform() {
    return Platform{&profile_,  &files_,     &system_,  &ui_,
                    &registry_, &processes_, &devices_, &services_};
  }

 private:
  Win32Processes processes_;
  Win32Profile profile_;
  Win32Files files_;
  Win32System system_;
  Win32Ui ui_;
  Win32Registry registry_;
  Win32Devices devices_;
  Win32Services services_;
};

}  // namespace velsetup::win32
