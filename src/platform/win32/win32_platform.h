// The real machine: every call passes straight to the Win32 A function of the
// same name. Nothing here adds behaviour of its own.
#pragma once

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

class Win32Platform {
 public:
  Platform platform() {
    return Platform{&profile_, &files_, &system_, &ui_, &registry_, &processes_};
  }

 private:
  Win32Processes processes_;
  Win32Profile profile_;
  Win32Files files_;
  Win32System system_;
  Win32Ui ui_;
  Win32Registry registry_;
};

}  // namespace velsetup::win32
