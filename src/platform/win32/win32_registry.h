// The real registry: every call passes straight to the Win32 A function of
// the same name, with the key value taken as the HKEY it is.
#pragma once

#include "platform/registry_api.h"

namespace velsetup::win32 {

class Win32Registry : public RegistryApi {
 public:
  int32_t RegCreateKeyExA(RegistryKey key, const char* sub_key, uint32_t options,
                          uint32_t access, RegistryKey* result) override;
  int32_t RegOpenKeyExA(RegistryKey key, const char* sub_key, uint32_t options, uint32_t access,
                        RegistryKey* result) override;
  int32_t RegSetValueExA(RegistryKey key, const char* value_name, uint32_t type,
                         const uint8_t* data, uint32_t size) override;
  int32_t RegQueryValueExA(RegistryKey key, const char* value_name, uint32_t* type,
                           uint8_t* data, uint32_t* size) override;
  int32_t RegDeleteValueA(RegistryKey key, const char* value_name) override;
  int32_t RegDeleteKeyA(RegistryKey key, const char* sub_key) override;
  int32_t RegEnumKeyA(RegistryKey key, uint32_t index, char* name, uint32_t size) override;
  int32_t RegCloseKey(RegistryKey key) override;
  int32_t RegFlushKey(RegistryKey key) override;
};

}  // namespace velsetup::win32
