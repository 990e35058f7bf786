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

namespace velsetup::win32 {

namespace {

HANDLE AsHandle(DeviceHandle device) { return reinterpret_cast<HANDLE>(device); }
SC_HANDLE AsService(ServiceHandle handle) { return reinterpret_cast<SC_HANDLE>(handle); }
ServiceHandle FromService(SC_HANDLE handle) { return reinterpret_cast<ServiceHandle>(handle); }

constexpr uint64_t k4GB = uint64_t{1} << 32;
constexpr size_t kAlignment = 16;

// Reserves and commits `size` bytes at the lowest free range below 4 GB
// that holds them, on the allocation granularity; null when there is none.
uint8_t* AllocateLow(size_t size) {
  SYSTEM_INFO system;
  ::GetSystemInfo(&system);
  const uint64_t granularity = system.dwAllocationGranularity;
  uint64_t address = granularity;
  while (address + size <= k4GB) {
    MEMORY_BASIC_INFORMATION range;
    if (::VirtualQuery(reinterpret_cast<void*>(static_cast<uintptr_t>(address)), &range,
                       sizeof range) == 0) {
      return nullptr;
    }
    const uint64_t start = reinterpret_cast<uintptr_t>(range.BaseAddress);
    const uint64_t end = start + range.RegionSize;
    const uint64_t aligned = (address + granularity - 1) / granularity * granularity;
    if (range.State == MEM_FREE && aligned + size <= end && aligned + size <= k4GB) {
      if (void* block = ::VirtualAlloc(reinterpret_cast<void*>(static_cast<uintptr_t>(aligned)),
                                       size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE)) {
        return static_cast<uint8_t*>(block);
      }
    }
    address = end > address ? end : address + granularity;
  }
  return nullptr;
}

}  // namespace

Win32Devices::~Win32Devices() {
  for (const Region& region : regions_) ::VirtualFree(region.base, 0, MEM_RELEASE);
}

DeviceHandle Win32Devices::OpenDevice(const char* name) {
  const HANDLE device = ::CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  return device == INVALID_HANDLE_VALUE ? kInvalidDevice : reinterpret_cast<DeviceHandle>(device);
}

bool Win32Devices::DeviceIoControl(DeviceHandle device, uint32_t code, const void* in,
                                   uint32_t in_size, void* out, uint32_t out_size,
                                   uint32_t* returned) {
  DWORD count = 0;
  const bool done = ::DeviceIoControl(AsHandle(device), code, const_cast<void*>(in), in_size, out,
                                      out_size, &count, nullptr) != FALSE;
  if (returned != nullptr) *returned = count;
  return done;
}

bool Win32Devices::CloseDevice(DeviceHandle device) {
  return ::CloseHandle(AsHandle(device)) != FALSE;
}

uint8_t* Win32Devices::LowMemory(size_t size) {
  const size_t needed = (size + kAlignment - 1) / kAlignment * kAlignment;
  if (regions_.empty() || regions_.back().size - regions_.back().used < needed) {
    const size_t region_size = needed > 0x10000 ? (needed + 0xFFFF) & ~size_t{0xFFFF} : 0x10000;
    uint8_t* base = AllocateLow(region_size);
    if (base == nullptr) return nullptr;
    regions_.push_back(Region{base, region_size, 0});
  }
  Region& region = regions_.back();
  uint8_t* block = region.base + region.used;
  region.used += needed;
  return block;
}

ServiceHandle Win32Services::OpenSCManagerA(uint32_t access) {
  return FromService(::OpenSCManagerA(nullptr, nullptr, access));
}

ServiceHandle Win32Services::CreateServiceA(ServiceHandle manager, const char* name,
                                            const char* display_name, uint32_t access,
                                            uint32_t service_type, uint32_t start_type,
                                            uint32_t error_control, const char* binary_path) {
  return FromService(::CreateServiceA(AsService(manager), name, display_name, access, service_type,
                                      start_type, error_control, binary_path, nullptr, nullptr,
                                      nullptr, nullptr, nullptr));
}

ServiceHandle Win32Services::OpenServiceA(ServiceHandle manager, const char* name,
                                          uint32_t access) {
  return FromService(::OpenServiceA(AsService(manager), name, access));
}

bool Win32Services::StartServiceA(ServiceHandle service) {
  return ::StartServiceA(AsService(service), 0, nullptr) != FALSE;
}

bool Win32Services::QueryServiceStatus(ServiceHandle service, uint32_t* current_state) {
  SERVICE_STATUS status = {};
  if (::QueryServiceStatus(AsService(service), &status) == FALSE) return false;
  *current_state = status.dwCurrentState;
  return true;
}

bool Win32Services::ControlService(ServiceHandle service, uint32_t control,
                                   uint32_t* current_state) {
  SERVICE_STATUS status = {};
  const bool done = ::ControlService(AsService(service), control, &status) != FALSE;
  if (current_state != nullptr) *current_state = status.dwCurrentState;
  return done;
}

bool Win32Services::DeleteService(ServiceHandle service) {
  return ::DeleteService(AsService(service)) != FALSE;
}

bool Win32Services::CloseServiceHandle(ServiceHandle handle) {
  return ::CloseServiceHandle(AsService(handle)) != FALSE;
}

}  // namespace velsetup::win32
