#include "engine/platform_queries.h"

#include <cstdint>

#include "engine/install_log.h"
#include "engine/run_state.h"

namespace velsetup {

namespace {

bool IsVersion(uint32_t platform_id, uint32_t major, uint32_t minor) {
  OsVersionInfo info;
  if (!System().GetVersionExA(&info)) return false;
  return info.platform_id == platform_id && info.major == major && info.minor == minor;
}

struct Privilege {
  const char* name;
  const char* log_text;
};

constexpr Privilege kPrivileges[] = {
    {"SeShutdownPrivilege", "SE_SHUTDOWN_NAME"},
    {"SeRestorePrivilege", "SE_RESTORE_NAME"},
    {"SeBackupPrivilege", "SE_BACKUP_NAME"},
};

}  // namespace

bool IsWin95() { return IsVersion(kPlatformWin32Windows, 4, 0); }
bool IsWin98() { return IsVersion(kPlatformWin32Windows, 4, 10); }
bool IsNT4() { return IsVersion(kPlatformWin32Nt, 4, 0); }
bool IsWin2000() { return IsVersion(kPlatformWin32Nt, 5, 0); }

void EnablePrivileges() {
  OsVersionInfo info;
  if (!System().GetVersionExA(&info) || info.platform_id != kPlatformWin32Nt) return;
  if (!System().OpenProcessToken()) return;
  for (const Privilege& privilege : kPrivileges) {
    WriteLog("NOTICE: adjusting token privilege for :", privilege.log_text);
    if (!System().EnablePrivilege(privilege.name)) {
      std::string text;
      GetLastErrorText(&text);
      WriteLog("ERROR: adjusting token privilege ->", text);
    }
  }
}

}  // namespace velsetup
