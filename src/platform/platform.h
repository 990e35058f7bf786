// The seam between the tool and Windows.
//
// Every call the command logic makes to the operating system goes through one
// of the interfaces below. They speak Windows: paths are Windows paths, texts
// are 8-bit ANSI, failures leave a Win32 error code where GetLastError() finds
// it. The win32 backend passes each call straight to the A function of the
// same name; the host backend simulates a Windows machine kept in a directory.
//
// Nullable text arguments are `const char*` on purpose: the private-profile
// calls give a null section, key or value a meaning of its own.
#pragma once

#include <cstdint>
#include <string>

#include "platform/device_api.h"
#include "platform/registry_api.h"

namespace velsetup {

// Win32 error codes the tool and the simulation use.
namespace win32_error {
constexpr uint32_t kSuccess = 0;
constexpr uint32_t kInvalidFunction = 1;
constexpr uint32_t kFileNotFound = 2;
constexpr uint32_t kPathNotFound = 3;
constexpr uint32_t kAccessDenied = 5;
constexpr uint32_t kInvalidHandle = 6;
constexpr uint32_t kNotEnoughMemory = 8;
constexpr uint32_t kNotSameDevice = 17;
constexpr uint32_t kSharingViolation = 32;
constexpr uint32_t kFileExists = 80;
constexpr uint32_t kInvalidParameter = 87;
constexpr uint32_t kNoMoreFiles = 18;
constexpr uint32_t kWriteProtect = 19;
constexpr uint32_t kDiskFull = 112;
constexpr uint32_t kCallNotImplemented = 120;
constexpr uint32_t kInsufficientBuffer = 122;
constexpr uint32_t kInvalidName = 123;
constexpr uint32_t kDirNotEmpty = 145;
constexpr uint32_t kAlreadyExists = 183;
constexpr uint32_t kFilenameTooLong = 206;
constexpr uint32_t kMoreData = 234;
constexpr uint32_t kNoMoreItems = 259;
constexpr uint32_t kDirectory = 267;
constexpr uint32_t kNoAccess = 998;
}  // namespace win32_error

// File attribute bits as GetFileAttributesA reports them.
namespace file_attribute {
constexpr uint32_t kReadOnly = 0x1;
constexpr uint32_t kHidden = 0x2;
constexpr uint32_t kSystem = 0x4;
constexpr uint32_t kDirectory = 0x10;
constexpr uint32_t kArchive = 0x20;
constexpr uint32_t kNormal = 0x80;
constexpr uint32_t kInvalid = 0xFFFFFFFFu;
}  // namespace file_attribute

// MoveFileExA flags.
namespace move_file {
constexpr uint32_t kReplaceExisting = 0x1;
constexpr uint32_t kCopyAllowed = 0x2;
constexpr uint32_t kWriteThrough = 0x8;
}  // namespace move_file

// The fields of OSVERSIONINFOA that anything in the tool looks at.
struct OsVersionInfo {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  uint32_t platform_id = 0;  // 1 = Windows 9x family, 2 = NT family
  std::string service_pack;
};
constexpr uint32_t kPlatformWin32Windows = 1;
constexpr uint32_t kPlatformWin32Nt = 2;

// SYSTEMTIME of GetLocalTime.
struct LocalTime {
  uint16_t year = 0, month = 0, day_of_week = 0, day = 0;
  uint16_t hour = 0, minute = 0, second = 0, milliseconds = 0;
};

// GetPrivateProfile*/WritePrivateProfile* on named INI files.
class ProfileApi {
 public:
  virtual ~ProfileApi() = default;
  virtual uint32_t GetPrivateProfileStringA(const char* section, const char* key,
                                            const char* default_value, char* buffer,
                                            uint32_t size, const char* file) = 0;
  virtual uint32_t GetPrivateProfileIntA(const char* section, const char* key,
                                         int32_t default_value, const char* file) = 0;
  virtual uint32_t GetPrivateProfileSectionA(const char* section, char* buffer,
                                             uint32_t size, const char* file) = 0;
  virtual bool WritePrivateProfileStringA(const char* section, const char* key,
                                          const char* value, const char* file) = 0;
  // `data` is a list of "key=value" lines, each ended by a zero byte, the list
  // ended by one more; null removes the section.
  virtual bool WritePrivateProfileSectionA(const char* section, const char* data,
                                           const char* file) = 0;
};

// The fields of WIN32_FIND_DATAA that the tool looks at.
struct FindData {
  uint32_t attributes = 0;
  uint64_t size = 0;
  std::string file_name;  // at most 259 characters, as cFileName holds them
};

// A search of FindFirstFileA; kInvalidFind where the call fails.
using FindHandle = uintptr_t;
constexpr FindHandle kInvalidFind = ~FindHandle{0};

// Files and directories.
class FileApi {
 public:
  virtual ~FileApi() = default;
  virtual uint32_t GetFileAttributesA(const char* path) = 0;
  virtual bool SetFileAttributesA(const char* path, uint32_t attributes) = 0;
  virtual bool CopyFileA(const char* source, const char* destination,
                         bool fail_if_exists) = 0;
  virtual bool DeleteFileA(const char* path) = 0;
  // Appends `text` through a text-mode stream opened "a+": every "\n" reaches
  // the file as CR LF; the file is created when missing, its directory is not.
  virtual bool AppendText(const char* path, const std::string& text) = 0;
  // CreateFileA(GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), ReadFile to
  // the end, CloseHandle: the file's bytes as they are.
  virtual bool ReadWholeFile(const char* path, std::string* bytes) = 0;
  // CreateFileA(GENERIC_WRITE, no sharing, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL),
  // WriteFile of every byte, FlushFileBuffers, CloseHandle. A failed write may
  // leave a partial file on Windows; the caller deletes it.
  virtual bool WriteNewFile(const char* path, const std::string& bytes) = 0;
  // Fails with 183 where `new_name` exists; a file may move to another volume.
  virtual bool MoveFileA(const char* existing, const char* new_name) = 0;
  // Fails with 120 on the Windows 9x family, which lacks the call.
  virtual bool MoveFileExA(const char* existing, const char* new_name, uint32_t flags) = 0;
  // No security attributes: the tool passes none.
  virtual bool CreateDirectoryA(const char* path) = 0;
  virtual bool RemoveDirectoryA(const char* path) = 0;
  virtual FindHandle FindFirstFileA(const char* pattern, FindData* data) = 0;
  // False with 18 (no more files) after the last entry.
  virtual bool FindNextFileA(FindHandle search, FindData* data) = 0;
  virtual bool FindClose(FindHandle search) = 0;
};

// Version, directories, identity, time, errors.
class SystemApi {
 public:
  virtual ~SystemApi() = default;
  virtual bool GetVersionExA(OsVersionInfo* info) = 0;
  // Directory queries follow the Win32 contract: the length copied (without the
  // terminator) on success, the size needed (with it) when `size` is too small.
  virtual uint32_t GetWindowsDirectoryA(char* buffer, uint32_t size) = 0;
  virtual uint32_t GetSystemDirectoryA(char* buffer, uint32_t size) = 0;
  virtual uint32_t GetTempPathA(uint32_t size, char* buffer) = 0;
  virtual uint32_t GetCurrentDirectoryA(uint32_t size, char* buffer) = 0;
  // Cuts to size - 1 characters and terminates, as Windows 2000 does.
  virtual uint32_t GetModuleFileNameA(char* buffer, uint32_t size) = 0;
  virtual uint32_t GetCurrentProcessId() = 0;
  virtual uint16_t GetUserDefaultLangID() = 0;
  virtual void GetLocalTime(LocalTime* time) = 0;
  virtual void Sleep(uint32_t milliseconds) = 0;
  virtual uint32_t GetLastError() = 0;
  virtual void SetLastError(uint32_t code) = 0;
  // FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FROM_SYSTEM | IGNORE_INSERTS,
  // code, language 0x0400): the system's text, line end included; false and an
  // empty text when the system has none.
  virtual bool FormatSystemMessage(uint32_t code, std::string* text) = 0;

  // Opens this process's access token for adjusting and querying privileges
  // (OpenProcessToken with 0x28); false, with the last error, when it cannot.
  virtual bool OpenProcessToken() = 0;
  // Enables one named privilege on the opened token (LookupPrivilegeValueA,
  // then AdjustTokenPrivileges with SE_PRIVILEGE_ENABLED); the result is
  // AdjustTokenPrivileges' own.
  virtual bool EnablePrivilege(const char* privilege_name) = 0;
  virtual bool ExitWindowsEx(uint32_t flags, uint32_t reserved) = 0;
};

// Starting programs and waiting for them.
using ProcessHandle = uintptr_t;

namespace process {
constexpr uint32_t kStartfUsePosition = 0x4;  // STARTUPINFO dwFlags
constexpr uint32_t kWaitObject0 = 0x0;
constexpr uint32_t kWaitTimeout = 0x102;
constexpr uint32_t kWaitFailed = 0xFFFFFFFFu;
}  // namespace process

class ProcessApi {
 public:
  virtual ~ProcessApi() = default;
  // CreateProcessA with no application name: `command_line` names the
  // program. Inheritable process and thread attributes without a descriptor,
  // no handle inheritance, NORMAL_PRIORITY_CLASS, the caller's environment,
  // `directory` as the working directory, and start-up information with only
  // `startup_flags` set (STARTF_USEPOSITION places the first window at 0,0).
  // The thread handle is closed; `*process` is the process handle.
  virtual bool CreateProcessA(const char* command_line, const char* directory,
                              uint32_t startup_flags, ProcessHandle* process) = 0;
  virtual uint32_t WaitForSingleObject(ProcessHandle process, uint32_t milliseconds) = 0;
  virtual bool CloseHandle(ProcessHandle process) = 0;
};

// Message boxes (no owner window).
class UiApi {
 public:
  virtual ~UiApi() = default;
  virtual int MessageBoxA(const char* text, const char* caption, uint32_t style) = 0;
};

// MessageBoxA styles and answers.
namespace message_box {
constexpr uint32_t kOk = 0x0;
constexpr uint32_t kOkCancel = 0x1;
constexpr uint32_t kYesNoCancel = 0x3;
constexpr uint32_t kYesNo = 0x4;
constexpr uint32_t kIconStop = 0x10;
constexpr uint32_t kIconQuestion = 0x20;
constexpr uint32_t kIconExclamation = 0x30;
constexpr uint32_t kIconInformation = 0x40;
constexpr uint32_t kSystemModal = 0x1000;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;
}  // namespace message_box

// The whole machine as the tool sees it. The backends own the objects.
struct Platform {
  ProfileApi* profile = nullptr;
  FileApi* files = nullptr;
  SystemApi* system = nullptr;
  UiApi* ui = nullptr;
  RegistryApi* registry = nullptr;
  ProcessApi* processes = nullptr;
  DeviceApi* devices = nullptr;
  ServiceApi* services = nullptr;
};

}  // namespace velsetup
