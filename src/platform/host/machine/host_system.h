// SystemApi of the simulated machine: what machine.ini says the machine is,
// the host's process id and clock, and the Windows 2000 message texts.
#pragma once

#include <string>

#include <vector>

#include "platform/host/machine/events.h"
#include "platform/host/machine/last_error.h"
#include "platform/host/machine/machine_config.h"
#include "platform/platform.h"

namespace velsetup::host {

class HostSystem : public SystemApi {
 public:
  // `module_path` is the full Windows path GetModuleFileNameA reports.
  HostSystem(const MachineConfig& config, std::string module_path, LastError& last_error,
             EventLog& events);

  bool GetVersionExA(OsVersionInfo* info) override;
  uint32_t GetWindowsDirectoryA(char* buffer, uint32_t size) override;
  uint32_t GetSystemDirectoryA(char* buffer, uint32_t size) override;
  uint32_t GetTempPathA(uint32_t size, char* buffer) override;
  uint32_t GetCurrentDirectoryA(uint32_t size, char* buffer) override;
  uint32_t GetModuleFileNameA(char* buffer, uint32_t size) override;
  uint32_t GetCurrentProcessId() override;
  uint16_t GetUserDefaultLangID() override;
  void GetLocalTime(LocalTime* time) override;
  // A real pause: a script's waits take as long as they would on Windows.
  void Sleep(uint32_t milliseconds) override;
  uint32_t GetLastError() override { return last_error_.code; }
  void SetLastError(uint32_t code) override { last_error_.code = code; }
  bool FormatSystemMessage(uint32_t code, std::string* text) override;
  // The token is simulated: there is one on the NT family, where every
  // privilege can be enabled unless machine.ini names it as failing.
  bool OpenProcessToken() override;
  bool EnablePrivilege(const char* privilege_name) override;
  // Whether EnablePrivilege has enabled the named privilege on the token
  // (names case-blind, as the system looks them up).
  bool IsPrivilegeEnabled(const std::string& privilege_name) const;
  // Records the restart in events.jsonl; nothing is restarted.
  bool ExitWindowsEx(uint32_t flags, uint32_t reserved) override;

 private:
  OsVersionInfo version_;
  uint16_t language_;
  std::string windows_dir_, system_dir_, temp_dir_, current_dir_, module_path_;
  LastError& last_error_;
  EventLog& events_;
  bool nt_family_;
  bool token_open_ = false;
  std::vector<std::string> failing_privileges_;
  std::vector<std::string> enabled_privileges_;
};

}  // namespace velsetup::host
