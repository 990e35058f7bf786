// A small stand-in machine for unit tests of the engine: a fixed clock, a set
// of error texts, recorded appends and message boxes. Profile calls are not
// simulated here; tests that need files run against the simulated machine.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace velsetup::testing {

class FakeFiles : public FileApi {
 public:
  uint32_t GetFileAttributesA(const char*) override { return file_attribute::kInvalid; }
  bool SetFileAttributesA(const char*, uint32_t) override { return false; }
  bool CopyFileA(const char*, const char*, bool) override { return false; }
  bool DeleteFileA(const char*) override { return false; }
  bool AppendText(const char* path, const std::string& text) override {
    if (!accept_appends) return false;
    appended[path] += text;
    return true;
  }
  bool ReadWholeFile(const char*, std::string* bytes) override {
    bytes->clear();
    return false;
  }
  bool WriteNewFile(const char*, const std::string&) override { return false; }
  bool MoveFileA(const char*, const char*) override { return false; }
  bool MoveFileExA(const char*, const char*, uint32_t) override { return false; }
  bool CreateDirectoryA(const char*) override { return false; }
  bool RemoveDirectoryA(const char*) override { return false; }
  FindHandle FindFirstFileA(const char*, FindData*) override { return kInvalidFind; }
  bool FindNextFileA(FindHandle, FindData*) override { return false; }
  bool FindClose(FindHandle) override { return false; }
  bool accept_appends = true;
  std::map<std::string, std::string> appended;
};

class FakeSystem : public SystemApi {
 public:
  bool GetVersionExA(OsVersionInfo* info) override {
    *info = version;
    return true;
  }
  uint32_t GetWindowsDirectoryA(char*, uint32_t) override { return 0; }
  uint32_t GetSystemDirectoryA(char*, uint32_t) override { return 0; }
  uint32_t GetTempPathA(uint32_t, char*) override { return 0; }
  uint32_t GetCurrentDirectoryA(uint32_t, char*) override { return 0; }
  uint32_t GetModuleFileNameA(char* buffer, uint32_t size) override {
    const size_t length = module_path.size() < size ? module_path.size() : size - 1;
    module_path.copy(buffer, length);
    buffer[length] = '\0';
    return static_cast<uint32_t>(length);
  }
  uint32_t GetCurrentProcessId() override { return 42; }
  uint16_t GetUserDefaultLangID() override { return 0x0409; }
  void GetLocalTime(LocalTime* time) override { *time = now; }
  void Sleep(uint32_t milliseconds) override { slept_ms += milliseconds; }
  uint32_t GetLastError() override { return last_error; }
  void SetLastError(uint32_t code) override { last_error = code; }
  bool FormatSystemMessage(uint32_t code, std::string* text) override {
    auto it = messages.find(code);
    *text = it == messages.end() ? std::string() : it->second;
    return it != messages.end();
  }
  bool OpenProcessToken() override { return version.platform_id == kPlatformWin32Nt; }
  bool EnablePrivilege(const char* name) override {
    enabled_privileges.push_back(name);
    return true;
  }
  bool ExitWindowsEx(uint32_t flags, uint32_t) override {
    restarts.push_back(flags);
    return true;
  }
  OsVersionInfo version{5, 0, 2195, kPlatformWin32Nt, ""};
  std::vector<std::string> enabled_privileges;
  std::vector<uint32_t> restarts;
  LocalTime now{2026, 12, 1, 7, 9, 5, 3, 7};
  uint32_t last_error = 0;
  uint64_t slept_ms = 0;
  std::string module_path = "D:\\KIT\\TOOL.EXE";
  std::map<uint32_t, std::string> messages{
      {2, "The system cannot find the file specified.\r\n"}};
};

class FakeUi : public UiApi {
 public:
  struct Box {
    std::string text, caption;
    uint32_t style;
  };
  int MessageBoxA(const char* text, const char* caption, uint32_t style) override {
    boxes.push_back({text, caption, style});
    return message_box::kIdOk;
  }
  std::vector<Box> boxes;
};

struct FakeMachine {
  FakeFiles files;
  FakeSystem system;
  FakeUi ui;
  Platform platform() { return Platform{nullptr, &files, &system, &ui}; }
};

}  // namespace velsetup::testing
