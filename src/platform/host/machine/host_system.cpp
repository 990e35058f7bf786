#include "platform/host/machine/host_system.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "platform/host/machine/system_messages.h"
#include "platform/host/files/windows_path.h"

namespace velsetup::host {

namespace {

// The contract of the directory queries: the length copied, terminator not
// counted, when the buffer holds the text and its terminator; otherwise the
// size needed, terminator counted, and the buffer is left alone.
uint32_t CopyOut(const std::string& value, char* buffer, uint32_t size) {
  const uint32_t length = static_cast<uint32_t>(value.size());
  if (buffer == nullptr || size <= length) return length + 1;
  std::memcpy(buffer, value.data(), length);
  buffer[length] = '\0';
  return length;
}

}  // namespace

HostSystem::HostSystem(const MachineConfig& config, std::string module_path,
                       LastError& last_error, EventLog& events)
    : version_(config.version),
      language_(config.user_language),
      windows_dir_(config.windows_dir.Text()),
      system_dir_(config.system_dir.Text()),
      temp_dir_(config.temp_dir),
      current_dir_(config.current_dir.Text()),
      module_path_(std::move(module_path)),
      last_error_(last_error),
      events_(events),
      nt_family_(config.nt_family()),
      failing_privileges_(config.failing_privileges) {}

bool HostSystem::GetVersionExA(OsVersionInfo* info) {
  *info = version_;
  return true;
}

uint32_t HostSystem::GetWindowsDirectoryA(char* buffer, uint32_t size) {
  return CopyOut(windows_dir_, buffer, size);
}

uint32_t HostSystem::GetSystemDirectoryA(char* buffer, uint32_t size) {
  return CopyOut(system_dir_, buffer, size);
}

uint32_t HostSystem::GetTempPathA(uint32_t size, char* buffer) {
  return CopyOut(temp_dir_, buffer, size);
}

uint32_t HostSystem::GetCurrentDirectoryA(uint32_t size, char* buffer) {
  return CopyOut(current_dir_, buffer, size);
}

uint32_t HostSystem::GetModuleFileNameA(char* buffer, uint32_t size) {
  // Windows 2000 cuts a path that does not fit to size - 1 characters, ends
  // it with a zero and returns the characters copied, without an error; only
  // later systems return size and set ERROR_INSUFFICIENT_BUFFER.
  if (buffer == nullptr || size == 0) return 0;
  const size_t length = module_path_.size() < size ? module_path_.size() : size - 1;
  std::memcpy(buffer, module_path_.data(), length);
  buffer[length] = '\0';
  return static_cast<uint32_t>(length);
}

uint32_t HostSystem::GetCurrentProcessId() { return static_cast<uint32_t>(::getpid()); }

uint16_t HostSystem::GetUserDefaultLangID() { return language_; }

void HostSystem::GetLocalTime(LocalTime* time) {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  std::tm local{};
  ::localtime_r(&now.tv_sec, &local);
  time->year = static_cast<uint16_t>(local.tm_year + 1900);
  time->month = static_cast<uint16_t>(local.tm_mon + 1);
  time->day_of_week = static_cast<uint16_t>(local.tm_wday);  // 0 is Sunday, as in SYSTEMTIME
  time->day = static_cast<uint16_t>(local.tm_mday);
  time->hour = static_cast<uint16_t>(local.tm_hour);
  time->minute = static_cast<uint16_t>(local.tm_min);
  // A leap second shows as :59, as SYSTEMTIME has no :60.
  time->second = static_cast<uint16_t>(local.tm_sec > 59 ? 59 : local.tm_sec);
  time->milliseconds = static_cast<uint16_t>(now.tv_nsec / 1000000);
}

void HostSystem::Sleep(uint32_t milliseconds) {
  timespec left{static_cast<time_t>(milliseconds / 1000),
                static_cast<long>(milliseconds % 1000) * 1000000L};
  while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

bool HostSystem::FormatSystemMessage(uint32_t code, std::string* text) {
  const char* message = SystemMessageText(code);
  if (message == nullptr) {
    text->clear();
    // FormatMessageA leaves ERROR_MR_MID_NOT_FOUND for a code it has no text for.
    last_error_.code = 317;
    return false;
  }
  *text = message;
  return true;
}

bool HostSystem::OpenProcessToken() {
  if (!nt_family_) {
    // The 9x family has no security: the call is not implemented there.
    last_error_.code = 120;  // ERROR_CALL_NOT_IMPLEMENTED
    return false;
  }
  token_open_ = true;
  return true;
}

bool HostSystem::EnablePrivilege(const char* privilege_name) {
  if (privilege_name == nullptr) {
    last_error_.code = win32_error::kInvalidParameter;
    return false;
  }
  if (!token_open_) {
    last_error_.code = win32_error::kInvalidHandle;
    return false;
  }
  for (const std::string& failing : failing_privileges_) {
    if (EqualsCaseBlind(failing, privilege_name)) {
      last_error_.code = win32_error::kAccessDenied;
      return false;
    }
  }
  if (!IsPrivilegeEnabled(privilege_name)) enabled_privileges_.emplace_back(privilege_name);
  last_error_.code = win32_error::kSuccess;
  return true;
}

bool HostSystem::IsPrivilegeEnabled(const std::string& privilege_name) const {
  for (const std::string& enabled : enabled_privileges_) {
    if (EqualsCaseBlind(enabled, privilege_name)) return true;
  }
  return false;
}

bool HostSystem::ExitWindowsEx(uint32_t flags, uint32_t) {
  events_.Append("{\"event\":\"restart\",\"flags\":" + std::to_string(flags) + "}");
  return true;
}

}  // namespace velsetup::host
