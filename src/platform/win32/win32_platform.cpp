#include "platform/win32/win32_platform.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace velsetup::win32 {

uint32_t Win32Profile::GetPrivateProfileStringA(const char* section, const char* key,
                                                const char* default_value, char* buffer,
                                                uint32_t size, const char* file) {
  return ::GetPrivateProfileStringA(section, key, default_value, buffer, size, file);
}

uint32_t Win32Profile::GetPrivateProfileIntA(const char* section, const char* key,
                                             int32_t default_value, const char* file) {
  return ::GetPrivateProfileIntA(section, key, default_value, file);
}

uint32_t Win32Profile::GetPrivateProfileSectionA(const char* section, char* buffer,
                                                 uint32_t size, const char* file) {
  return ::GetPrivateProfileSectionA(section, buffer, size, file);
}

bool Win32Profile::WritePrivateProfileStringA(const char* section, const char* key,
                                              const char* value, const char* file) {
  return ::WritePrivateProfileStringA(section, key, value, file) != FALSE;
}

bool Win32Profile::WritePrivateProfileSectionA(const char* section, const char* data,
                                               const char* file) {
  return ::WritePrivateProfileSectionA(section, data, file) != FALSE;
}

uint32_t Win32Files::GetFileAttributesA(const char* path) { return ::GetFileAttributesA(path); }

bool Win32Files::SetFileAttributesA(const char* path, uint32_t attributes) {
  return ::SetFileAttributesA(path, attributes) != FALSE;
}

bool Win32Files::CopyFileA(const char* source, const char* destination, bool fail_if_exists) {
  return ::CopyFileA(source, destination, fail_if_exists ? TRUE : FALSE) != FALSE;
}

bool Win32Files::DeleteFileA(const char* path) { return ::DeleteFileA(path) != FALSE; }

bool Win32Files::AppendText(const char* path, const std::string& text) {
  // Text mode: the C runtime turns each "\n" into CR LF.
  FILE* file = std::fopen(path, "a+");
  if (file == nullptr) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && written;
}

bool Win32Files::ReadWholeFile(const char* path, std::string* bytes) {
  bytes->clear();
  HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  char buffer[64 * 1024];
  DWORD got = 0;
  bool ok;
  while ((ok = ::ReadFile(file, buffer, sizeof buffer, &got, nullptr) != FALSE) && got > 0) {
    bytes->append(buffer, got);
  }
  const DWORD error = ::GetLastError();
  ::CloseHandle(file);
  if (!ok) ::SetLastError(error);
  return ok;
}

bool Win32Files::WriteNewFile(const char* path, const std::string& bytes) {
  HANDLE file = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  for (size_t done = 0; ok && done < bytes.size();) {
    const size_t left = bytes.size() - done;
    const DWORD chunk = left > 0x100000 ? 0x100000 : static_cast<DWORD>(left);
    DWORD written = 0;
    ok = ::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) != FALSE && written > 0;
    done += written;
  }
  ok = ok && ::FlushFileBuffers(file) != FALSE;
  const DWORD error = ::GetLastError();
  const bool closed = ::CloseHandle(file) != FALSE;
  if (!ok) ::SetLastError(error);
  return ok && closed;
}

bool Win32Files::MoveFileA(const char* existing, const char* new_name) {
  return ::MoveFileA(existing, new_name) != FALSE;
}

bool Win32Files::MoveFileExA(const char* existing, const char* new_name, uint32_t flags) {
  return ::MoveFileExA(existing, new_name, flags) != FALSE;
}

bool Win32Files::CreateDirectoryA(const char* path) {
  return ::CreateDirectoryA(path, nullptr) != FALSE;
}

bool Win32Files::RemoveDirectoryA(const char* path) { return ::RemoveDirectoryA(path) != FALSE; }

namespace {

void CopyFindData(const WIN32_FIND_DATAA& found, FindData* data) {
  data->attributes = found.dwFileAttributes;
  data->size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  data->file_name.assign(found.cFileName, ::strnlen(found.cFileName, sizeof found.cFileName));
}

}  // namespace

FindHandle Win32Files::FindFirstFileA(const char* pattern, FindData* data) {
  WIN32_FIND_DATAA found;
  const HANDLE search = ::FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return kInvalidFind;
  CopyFindData(found, data);
  return reinterpret_cast<FindHandle>(search);
}

bool Win32Files::FindNextFileA(FindHandle search, FindData* data) {
  WIN32_FIND_DATAA found;
  if (::FindNextFileA(reinterpret_cast<HANDLE>(search), &found) == FALSE) return false;
  CopyFindData(found, data);
  return true;
}

bool Win32Files::FindClose(FindHandle search) {
  return ::FindClose(reinterpret_cast<HANDLE>(search)) != FALSE;
}

bool Win32System::GetVersionExA(OsVersionInfo* info) {
  OSVERSIONINFOA record = {};
  record.dwOSVersionInfoSize = sizeof record;  // 148
  if (!::GetVersionExA(&record)) return false;
  info->major = record.dwMajorVersion;
  info->minor = record.dwMinorVersion;
  info->build = record.dwBuildNumber;
  info->platform_id = record.dwPlatformId;
  info->service_pack = record.szCSDVersion;
  return true;
}

uint32_t Win32System::GetWindowsDirectoryA(char* buffer, uint32_t size) {
  return ::GetWindowsDirectoryA(buffer, size);
}

uint32_t Win32System::GetSystemDirectoryA(char* buffer, uint32_t size) {
  return ::GetSystemDirectoryA(buffer, size);
}

uint32_t Win32System::GetTempPathA(uint32_t size, char* buffer) {
  return ::GetTempPathA(size, buffer);
}

uint32_t Win32System::GetCurrentDirectoryA(uint32_t size, char* buffer) {
  return ::GetCurrentDirectoryA(size, buffer);
}

uint32_t Win32System::GetModuleFileNameA(char* buffer, uint32_t size) {
  return ::GetModuleFileNameA(nullptr, buffer, size);
}

uint32_t Win32System::GetCurrentProcessId() { return ::GetCurrentProcessId(); }

uint16_t Win32System::GetUserDefaultLangID() { return ::GetUserDefaultLangID(); }

void Win32System::GetLocalTime(LocalTime* time) {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  *time = LocalTime{now.wYear, now.wMonth, now.wDayOfWeek, now.wDay,
                    now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

void Win32System::Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

uint32_t Win32System::GetLastError() { return ::GetLastError(); }

void Win32System::SetLastError(uint32_t code) { ::SetLastError(code); }

bool Win32System::FormatSystemMessage(uint32_t code, std::string* text) {
  char* message = nullptr;
  const DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
      reinterpret_cast<char*>(&message), 0, nullptr);
  text->clear();
  if (length == 0 || message == nullptr) return false;
  text->assign(message, length);
  ::LocalFree(message);
  return true;
}

int Win32Ui::MessageBoxA(const char* text, const char* caption, uint32_t style) {
  return ::MessageBoxA(nullptr, text, caption, style);
}

bool Win32System::OpenProcessToken() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    return false;
  }
  if (token_ != nullptr) ::CloseHandle(static_cast<HANDLE>(token_));
  token_ = token;
  return true;
}

bool Win32System::EnablePrivilege(const char* privilege_name) {
  TOKEN_PRIVILEGES privileges = {};
  ::LookupPrivilegeValueA(nullptr, privilege_name, &privileges.Privileges[0].Luid);
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  return ::AdjustTokenPrivileges(static_cast<HANDLE>(token_), FALSE, &privileges, 0, nullptr,
                                 nullptr) != FALSE;
}

bool Win32System::ExitWindowsEx(uint32_t flags, uint32_t reserved) {
  return ::ExitWindowsEx(flags, reserved) != FALSE;
}

Win32System::~Win32System() {
  if (token_ != nullptr) ::CloseHandle(static_cast<HANDLE>(token_));
}

bool Win32Processes::CreateProcessA(const char* command_line, const char* directory,
                                    uint32_t startup_flags, ProcessHandle* process) {
  SECURITY_ATTRIBUTES process_attributes{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  SECURITY_ATTRIBUTES thread_attributes{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = startup_flags;
  PROCESS_INFORMATION started{};
  // CreateProcessA may write into the command line: it gets a copy.
  std::string line = command_line != nullptr ? command_line : "";
  if (::CreateProcessA(nullptr, &line[0], &process_attributes, &thread_attributes, FALSE,
                       NORMAL_PRIORITY_CLASS, nullptr, directory, &startup, &started) == FALSE) {
    return false;
  }
  ::CloseHandle(started.hThread);
  *process = reinterpret_cast<ProcessHandle>(started.hProcess);
  return true;
}

uint32_t Win32Processes::WaitForSingleObject(ProcessHandle process, uint32_t milliseconds) {
  return ::WaitForSingleObject(reinterpret_cast<HANDLE>(process), milliseconds);
}

bool Win32Processes::CloseHandle(ProcessHandle process) {
  return ::CloseHandle(reinterpret_cast<HANDLE>(process)) != FALSE;
}

}  // namespace velsetup::win32
