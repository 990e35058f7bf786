// The registry part of the seam: the Reg* A functions the tool calls.
//
// Keys are handle values as HKEY carries them; the predefined keys have the
// values Windows gives them (sign-extended on a 64-bit build, as Windows'
// own headers make them). Every call returns its Win32 error code, as the
// Reg* functions do; none of them sets the last error.
#pragma once

#include <cstdint>

namespace velsetup {

using RegistryKey = uintptr_t;

namespace registry_key {
constexpr RegistryKey Predefined(uint32_t value) {
  return static_cast<RegistryKey>(static_cast<intptr_t>(static_cast<int32_t>(value)));
}
constexpr RegistryKey kNone = 0;
constexpr RegistryKey kClassesRoot = Predefined(0x80000000u);
constexpr RegistryKey kCurrentUser = Predefined(0x80000001u);
constexpr RegistryKey kLocalMachine = Predefined(0x80000002u);
constexpr RegistryKey kUsers = Predefined(0x80000003u);
constexpr RegistryKey kPerformanceData = Predefined(0x80000004u);
constexpr RegistryKey kCurrentConfig = Predefined(0x80000005u);
constexpr RegistryKey kDynData = Predefined(0x80000006u);
}  // namespace registry_key

namespace registry_type {
constexpr uint32_t kNone = 0;
constexpr uint32_t kString = 1;          // REG_SZ
constexpr uint32_t kExpandString = 2;    // REG_EXPAND_SZ
constexpr uint32_t kBinary = 3;          // REG_BINARY
constexpr uint32_t kDword = 4;           // REG_DWORD
constexpr uint32_t kMultiString = 7;     // REG_MULTI_SZ
}  // namespace registry_type

namespace registry_option {
constexpr uint32_t kNonVolatile = 0x0;
constexpr uint32_t kVolatile = 0x1;
constexpr uint32_t kBackupRestore = 0x4;
}  // namespace registry_option

namespace registry_access {
constexpr uint32_t kQueryValue = 0x0001;
constexpr uint32_t kSetValue = 0x0002;
constexpr uint32_t kCreateSubKey = 0x0004;
constexpr uint32_t kEnumerateSubKeys = 0x0008;
constexpr uint32_t kRead = 0x20019;
constexpr uint32_t kAllAccess = 0xF003F;
}  // namespace registry_access

class RegistryApi {
 public:
  virtual ~RegistryApi() = default;
  // No class, no security attributes, no disposition: the tool passes none.
  virtual int32_t RegCreateKeyExA(RegistryKey key, const char* sub_key, uint32_t options,
                                  uint32_t access, RegistryKey* result) = 0;
  virtual int32_t RegOpenKeyExA(RegistryKey key, const char* sub_key, uint32_t options,
                                uint32_t access, RegistryKey* result) = 0;
  virtual int32_t RegSetValueExA(RegistryKey key, const char* value_name, uint32_t type,
                                 const uint8_t* data, uint32_t size) = 0;
  // `type`, `data` and `size` may each be null, as the Win32 call allows.
  virtual int32_t RegQueryValueExA(RegistryKey key, const char* value_name, uint32_t* type,
                                   uint8_t* data, uint32_t* size) = 0;
  virtual int32_t RegDeleteValueA(RegistryKey key, const char* value_name) = 0;
  virtual int32_t RegDeleteKeyA(RegistryKey key, const char* sub_key) = 0;
  // The name of subkey `index` into `name` (`size` bytes, terminator included).
  virtual int32_t RegEnumKeyA(RegistryKey key, uint32_t index, char* name, uint32_t size) = 0;
  virtual int32_t RegCloseKey(RegistryKey key) = 0;
  virtual int32_t RegFlushKey(RegistryKey key) = 0;
};

}  // namespace velsetup
