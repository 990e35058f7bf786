#include "platform/win32/win32_platform.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace velsetup::win32 {
namespace {

HANDLE AsHandle(uintptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
HKEY Hkey(RegistryKey key) { return reinterpret_cast<HKEY>(key); }
SC_HANDLE AsService(ServiceHandle handle) { return reinterpret_cast<SC_HANDLE>(handle); }
ServiceHandle FromService(SC_HANDLE handle) { return reinterpret_cast<ServiceHandle>(handle); }

class Win32Profile final : public ProfileApi {
 public:
  uint32_t GetPrivateProfileStringA(const char* section, const char* key,
                                    const char* default_value, char* buffer, uint32_t size,
                                    const char* file) override {
    return ::GetPrivateProfileStringA(section, key, default_value, buffer, size, file);
  }
  uint32_t GetPrivateProfileIntA(const char* section, const char* key, int32_t default_value,
                                 const char* file) override {
    return ::GetPrivateProfileIntA(section, key, default_value, file);
  }
  uint32_t GetPrivateProfileSectionA(const char* section, char* buffer, uint32_t size,
                                     const char* file) override {
    return ::GetPrivateProfileSectionA(section, buffer, size, file);
  }
  bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                  const char* file) override {
    return ::WritePrivateProfileStringA(section, key, value, file) != FALSE;
  }
  bool WritePrivateProfileSectionA(const char* section, const char* data,
                                   const char* file) override {
    return ::WritePrivateProfileSectionA(section, data, file) != FALSE;
  }
};

void CopyFindData(const WIN32_FIND_DATAA& found, FindData* data) {
  data->attributes = found.dwFileAttributes;
  data->size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  data->file_name.assign(found.cFileName, ::strnlen(found.cFileName, sizeof found.cFileName));
}

class Win32Files final : public FileApi {
 public:
  uint32_t GetFileAttributesA(const char* path) override { return ::GetFileAttributesA(path); }
  bool SetFileAttributesA(const char* path, uint32_t attributes) override {
    return ::SetFileAttributesA(path, attributes) != FALSE;
  }
  bool CopyFileA(const char* source, const char* destination, bool fail_if_exists) override {
    return ::CopyFileA(source, destination, fail_if_exists ? TRUE : FALSE) != FALSE;
  }
  bool DeleteFileA(const char* path) override { return ::DeleteFileA(path) != FALSE; }

  bool AppendText(const char* path, const std::string& text) override {
    // Text mode: the C runtime turns each "\n" into CR LF.
    FILE* file = std::fopen(path, "a+");
    if (file == nullptr) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
  }

  bool ReadWholeFile(const char* path, std::string* bytes) override {
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

  bool WriteNewFile(const char* path, const std::string& bytes) override {
    HANDLE file = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    for (size_t done = 0; ok && done < bytes.size();) {
      const size_t left = bytes.size() - done;
      const DWORD chunk = left > 0x100000 ? 0x100000 : static_cast<DWORD>(left);
      DWORD written = 0;
      ok = ::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) != FALSE &&
           written > 0;
      done += written;
    }
    ok = ok && ::FlushFileBuffers(file) != FALSE;
    const DWORD error = ::GetLastError();
    const bool closed = ::CloseHandle(file) != FALSE;
    if (!ok) ::SetLastError(error);
    return ok && closed;
  }

  bool MoveFileA(const char* existing, const char* new_name) override {
    return ::MoveFileA(existing, new_name) != FALSE;
  }
  bool MoveFileExA(const char* existing, const char* new_name, uint32_t flags) override {
    return ::MoveFileExA(existing, new_name, flags) != FALSE;
  }
  bool CreateDirectoryA(const char* path) override {
    return ::CreateDirectoryA(path, nullptr) != FALSE;
  }
  bool RemoveDirectoryA(const char* path) override { return ::RemoveDirectoryA(path) != FALSE; }

  FindHandle FindFirstFileA(const char* pattern, FindData* data) override {
    WIN32_FIND_DATAA found;
    const HANDLE search = ::FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return kInvalidFind;
    CopyFindData(found, data);
    return reinterpret_cast<FindHandle>(search);
  }
  bool FindNextFileA(FindHandle search, FindData* data) override {
    WIN32_FIND_DATAA found;
    if (::FindNextFileA(AsHandle(search), &found) == FALSE) return false;
    CopyFindData(found, data);
    return true;
  }
  bool FindClose(FindHandle search) override { return ::FindClose(AsHandle(search)) != FALSE; }
};

class Win32System final : public SystemApi {
 public:
  ~Win32System() override {
    if (token_ != nullptr) ::CloseHandle(token_);
  }

  bool GetVersionExA(OsVersionInfo* info) override {
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
  uint32_t GetWindowsDirectoryA(char* buffer, uint32_t size) override {
    return ::GetWindowsDirectoryA(buffer, size);
  }
  uint32_t GetSystemDirectoryA(char* buffer, uint32_t size) override {
    return ::GetSystemDirectoryA(buffer, size);
  }
  uint32_t GetTempPathA(uint32_t size, char* buffer) override {
    return ::GetTempPathA(size, buffer);
  }
  uint32_t GetCurrentDirectoryA(uint32_t size, char* buffer) override {
    return ::GetCurrentDirectoryA(size, buffer);
  }
  uint32_t GetModuleFileNameA(char* buffer, uint32_t size) override {
    return ::GetModuleFileNameA(nullptr, buffer, size);
  }
  uint32_t GetCurrentProcessId() override { return ::GetCurrentProcessId(); }
  uint16_t GetUserDefaultLangID() override { return ::GetUserDefaultLangID(); }
  void GetLocalTime(LocalTime* time) override {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    *time = LocalTime{now.wYear, now.wMonth, now.wDayOfWeek, now.wDay,
                      now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
  }
  void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }
  uint32_t GetLastError() override { return ::GetLastError(); }
  void SetLastError(uint32_t code) override { ::SetLastError(code); }

  bool FormatSystemMessage(uint32_t code, std::string* text) override {
    char* message = nullptr;
    const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER |
                                              FORMAT_MESSAGE_FROM_SYSTEM |
                                              FORMAT_MESSAGE_IGNORE_INSERTS,
                                          nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                          reinterpret_cast<char*>(&message), 0, nullptr);
    text->clear();
    if (length == 0 || message == nullptr) return false;
    text->assign(message, length);
    ::LocalFree(message);
    return true;
  }

  bool OpenProcessToken() override {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                            &token)) {
      return false;
    }
    if (token_ != nullptr) ::CloseHandle(token_);
    token_ = token;
    return true;
  }
  bool EnablePrivilege(const char* privilege_name) override {
    TOKEN_PRIVILEGES privileges = {};
    ::LookupPrivilegeValueA(nullptr, privilege_name, &privileges.Privileges[0].Luid);
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    return ::AdjustTokenPrivileges(token_, FALSE, &privileges, 0, nullptr, nullptr) != FALSE;
  }
  bool ExitWindowsEx(uint32_t flags, uint32_t reserved) override {
    return ::ExitWindowsEx(flags, reserved) != FALSE;
  }

 private:
  HANDLE token_ = nullptr;  // the process token, once opened
};

class Win32Processes final : public ProcessApi {
 public:
  bool CreateProcessA(const char* command_line, const char* directory, uint32_t startup_flags,
                      ProcessHandle* process) override {
    SECURITY_ATTRIBUTES process_attributes{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    SECURITY_ATTRIBUTES thread_attributes{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = startup_flags;
    PROCESS_INFORMATION started{};
    // CreateProcessA may write into the command line: it gets a copy.
    std::string line = command_line != nullptr ? command_line : "";
    if (::CreateProcessA(nullptr, &line[0], &process_attributes, &thread_attributes, FALSE,
                         NORMAL_PRIORITY_CLASS, nullptr, directory, &startup,
                         &started) == FALSE) {
      return false;
    }
    ::CloseHandle(started.hThread);
    *process = reinterpret_cast<ProcessHandle>(started.hProcess);
    return true;
  }
  uint32_t WaitForSingleObject(ProcessHandle process, uint32_t milliseconds) override {
    return ::WaitForSingleObject(AsHandle(process), milliseconds);
  }
  bool CloseHandle(ProcessHandle process) override {
    return ::CloseHandle(AsHandle(process)) != FALSE;
  }
};

class Win32Ui final : public UiApi {
 public:
  int MessageBoxA(const char* text, const char* caption, uint32_t style) override {
    return ::MessageBoxA(nullptr, text, caption, style);
  }
};

// Keys travel as the HKEY values they are.
class Win32Registry final : public RegistryApi {
 public:
  int32_t RegCreateKeyExA(RegistryKey key, const char* sub_key, uint32_t options,
                          uint32_t access, RegistryKey* result) override {
    // What the call leaves in place on failure stays as Windows leaves it.
    HKEY opened = result != nullptr ? Hkey(*result) : nullptr;
    const LONG code = ::RegCreateKeyExA(Hkey(key), sub_key, 0, nullptr, options, access, nullptr,
                                        result != nullptr ? &opened : nullptr, nullptr);
    if (result != nullptr) *result = reinterpret_cast<RegistryKey>(opened);
    return code;
  }
  int32_t RegOpenKeyExA(RegistryKey key, const char* sub_key, uint32_t options, uint32_t access,
                        RegistryKey* result) override {
    HKEY opened = result != nullptr ? Hkey(*result) : nullptr;
    const LONG code = ::RegOpenKeyExA(Hkey(key), sub_key, options, access,
                                      result != nullptr ? &opened : nullptr);
    if (result != nullptr) *result = reinterpret_cast<RegistryKey>(opened);
    return code;
  }
  int32_t RegSetValueExA(RegistryKey key, const char* value_name, uint32_t type,
                         const uint8_t* data, uint32_t size) override {
    return ::RegSetValueExA(Hkey(key), value_name, 0, type, data, size);
  }
  int32_t RegQueryValueExA(RegistryKey key, const char* value_name, uint32_t* type,
                           uint8_t* data, uint32_t* size) override {
    // DWORD is unsigned long: 32 bits on Windows, but not the same type as
    // uint32_t, so the values travel through locals.
    DWORD type_value = type != nullptr ? *type : 0;
    DWORD size_value = size != nullptr ? *size : 0;
    const LONG code = ::RegQueryValueExA(Hkey(key), value_name, nullptr,
                                         type != nullptr ? &type_value : nullptr, data,
                                         size != nullptr ? &size_value : nullptr);
    if (type != nullptr) *type = type_value;
    if (size != nullptr) *size = size_value;
    return code;
  }
  int32_t RegDeleteValueA(RegistryKey key, const char* value_name) override {
    return ::RegDeleteValueA(Hkey(key), value_name);
  }
  int32_t RegDeleteKeyA(RegistryKey key, const char* sub_key) override {
    return ::RegDeleteKeyA(Hkey(key), sub_key);
  }
  int32_t RegEnumKeyA(RegistryKey key, uint32_t index, char* name, uint32_t size) override {
    return ::RegEnumKeyA(Hkey(key), index, name, size);
  }
  int32_t RegCloseKey(RegistryKey key) override { return ::RegCloseKey(Hkey(key)); }
  int32_t RegFlushKey(RegistryKey key) override { return ::RegFlushKey(Hkey(key)); }
};

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

class Win32Devices final : public DeviceApi {
 public:
  ~Win32Devices() override {
    for (const Region& region : regions_) ::VirtualFree(region.base, 0, MEM_RELEASE);
  }

  DeviceHandle OpenDevice(const char* name) override {
    const HANDLE device = ::CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return device == INVALID_HANDLE_VALUE ? kInvalidDevice
                                          : reinterpret_cast<DeviceHandle>(device);
  }
  bool DeviceIoControl(DeviceHandle device, uint32_t code, const void* in, uint32_t in_size,
                       void* out, uint32_t out_size, uint32_t* returned) override {
    DWORD count = 0;
    const bool done = ::DeviceIoControl(AsHandle(device), code, const_cast<void*>(in), in_size,
                                        out, out_size, &count, nullptr) != FALSE;
    if (returned != nullptr) *returned = count;
    return done;
  }
  bool CloseDevice(DeviceHandle device) override {
    return ::CloseHandle(AsHandle(device)) != FALSE;
  }

  // Committed pages at the lowest free addresses that VirtualQuery finds,
  // handed out in pieces; null when no free range below 4 GB is left.
  uint8_t* LowMemory(size_t size) override {
    const size_t needed = (size + kAlignment - 1) / kAlignment * kAlignment;
    if (regions_.empty() || regions_.back().size - regions_.back().used < needed) {
      const size_t region_size =
          needed > 0x10000 ? (needed + 0xFFFF) & ~size_t{0xFFFF} : 0x10000;
      uint8_t* base = AllocateLow(region_size);
      if (base == nullptr) return nullptr;
      regions_.push_back(Region{base, region_size, 0});
    }
    Region& region = regions_.back();
    uint8_t* block = region.base + region.used;
    region.used += needed;
    return block;
  }

 private:
  struct Region {
    uint8_t* base;
    size_t size;
    size_t used;
  };
  std::vector<Region> regions_;
};

class Win32Services final : public ServiceApi {
 public:
  ServiceHandle OpenSCManagerA(uint32_t access) override {
    return FromService(::OpenSCManagerA(nullptr, nullptr, access));
  }
  ServiceHandle CreateServiceA(ServiceHandle manager, const char* name, const char* display_name,
                               uint32_t access, uint32_t service_type, uint32_t start_type,
                               uint32_t error_control, const char* binary_path) override {
    return FromService(::CreateServiceA(AsService(manager), name, display_name, access,
                                        service_type, start_type, error_control, binary_path,
                                        nullptr, nullptr, nullptr, nullptr, nullptr));
  }
  ServiceHandle OpenServiceA(ServiceHandle manager, const char* name, uint32_t access) override {
    return FromService(::OpenServiceA(AsService(manager), name, access));
  }
  bool StartServiceA(ServiceHandle service) override {
    return ::StartServiceA(AsService(service), 0, nullptr) != FALSE;
  }
  bool QueryServiceStatus(ServiceHandle service, uint32_t* current_state) override {
    SERVICE_STATUS status = {};
    if (::QueryServiceStatus(AsService(service), &status) == FALSE) return false;
    *current_state = status.dwCurrentState;
    return true;
  }
  bool ControlService(ServiceHandle service, uint32_t control,
                      uint32_t* current_state) override {
    SERVICE_STATUS status = {};
    const bool done = ::ControlService(AsService(service), control, &status) != FALSE;
    if (current_state != nullptr) *current_state = status.dwCurrentState;
    return done;
  }
  bool DeleteService(ServiceHandle service) override {
    return ::DeleteService(AsService(service)) != FALSE;
  }
  bool CloseServiceHandle(ServiceHandle handle) override {
    return ::CloseServiceHandle(AsService(handle)) != FALSE;
  }
};

}  // namespace

struct Win32Platform::Parts {
  Win32Processes processes;
  Win32Profile profile;
  Win32Files files;
  Win32System system;
  Win32Ui ui;
  Win32Registry registry;
  Win32Devices devices;
  Win32Services services;
};

Win32Platform::Win32Platform()
    : parts_(new Parts),
      platform_{&parts_->profile,  &parts_->files,     &parts_->system,  &parts_->ui,
                &parts_->registry, &parts_->processes, &parts_->devices, &parts_->services} {}

Win32Platform::~Win32Platform() = default;

}  // namespace velsetup::win32
