#include "platform/win32/win32_registry.h"

#include <windows.h>

namespace velsetup::win32 {

namespace {

HKEY Hkey(RegistryKey key) { return reinterpret_cast<HKEY>(key); }

}  // namespace

int32_t Win32Registry::RegCreateKeyExA(RegistryKey key, const char* sub_key, uint32_t options,
                                       uint32_t access, RegistryKey* result) {
  // What the call leaves in place on failure stays as Windows leaves it.
  HKEY opened = result != nullptr ? Hkey(*result) : nullptr;
  const LONG code = ::RegCreateKeyExA(Hkey(key), sub_key, 0, nullptr, options, access, nullptr,
                                      result != nullptr ? &opened : nullptr, nullptr);
  if (result != nullptr) *result = reinterpret_cast<RegistryKey>(opened);
  return code;
}

int32_t Win32Registry::RegOpenKeyExA(RegistryKey key, const char* sub_key, uint32_t options,
                                     uint32_t access, RegistryKey* result) {
  HKEY opened = result != nullptr ? Hkey(*result) : nullptr;
  const LONG code = ::RegOpenKeyExA(Hkey(key), sub_key, options, access,
                                    result != nullptr ? &opened : nullptr);
  if (result != nullptr) *result = reinterpret_cast<RegistryKey>(opened);
  return code;
}

int32_t Win32Registry::RegSetValueExA(RegistryKey key, const char* value_name, uint32_t type,
                                      const uint8_t* data, uint32_t size) {
  return ::RegSetValueExA(Hkey(key), value_name, 0, type, data, size);
}

int32_t Win32Registry::RegQueryValueExA(RegistryKey key, const char* value_name, uint32_t* type,
                                        uint8_t* data, uint32_t* size) {
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

int32_t Win32Registry::RegDeleteValueA(RegistryKey key, const char* value_name) {
  return ::RegDeleteValueA(Hkey(key), value_name);
}

int32_t Win32Registry::RegDeleteKeyA(RegistryKey key, const char* sub_key) {
  return ::RegDeleteKeyA(Hkey(key), sub_key);
}

int32_t Win32Registry::RegEnumKeyA(RegistryKey key, uint32_t index, char* name, uint32_t size) {
  return ::RegEnumKeyA(Hkey(key), index, name, size);
}

int32_t Win32Registry::RegCloseKey(RegistryKey key) { return ::RegCloseKey(Hkey(key)); }

int32_t Win32Registry::RegFlushKey(RegistryKey key) { return ::RegFlushKey(Hkey(key)); }

}  // namespace velsetup::win32
