#include "platform/host/devices/service_registry.h"

#include <cstring>

#include "platform/device_api.h"
#include "platform/host/files/windows_path.h"
#include "platform/platform.h"

namespace velsetup::host {

namespace {

constexpr const char* kServicesKey = "SYSTEM\\CurrentControlSet\\Services";

std::string KeyOf(const std::string& name) { return std::string(kServicesKey) + "\\" + name; }

bool QueryDword(RegistryApi& registry, RegistryKey key, const char* name, uint32_t* value) {
  uint8_t bytes[4] = {};
  uint32_t type = 0, size = sizeof bytes;
  if (registry.RegQueryValueExA(key, name, &type, bytes, &size) != 0 ||
      type != registry_type::kDword || size != sizeof bytes) {
    return false;
  }
  *value = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
  return true;
}

std::string QueryText(RegistryApi& registry, RegistryKey key, const char* name) {
  uint32_t type = 0, size = 0;
  if (registry.RegQueryValueExA(key, name, &type, nullptr, &size) != 0 || size == 0) return "";
  std::string text(size, '\0');
  if (registry.RegQueryValueExA(key, name, &type, reinterpret_cast<uint8_t*>(&text[0]), &size) !=
      0) {
    return "";
  }
  text.resize(size);
  const size_t end = text.find('\0');
  return end == std::string::npos ? text : text.substr(0, end);
}

int32_t SetDword(RegistryApi& registry, RegistryKey key, const char* name, uint32_t value) {
  const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  return registry.RegSetValueExA(key, name, registry_type::kDword, bytes, sizeof bytes);
}

int32_t SetText(RegistryApi& registry, RegistryKey key, const char* name, uint32_t type,
                const std::string& text) {
  return registry.RegSetValueExA(key, name, type, reinterpret_cast<const uint8_t*>(text.c_str()),
                                 static_cast<uint32_t>(text.size() + 1));
}

bool StartsWithCaseBlind(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && EqualsCaseBlind(text.substr(0, prefix.size()), prefix);
}

}  // namespace

uint32_t ServiceRegistry::Find(const std::string& name, ServiceRecord* record) {
  RegistryKey key = 0;
  const int32_t opened = registry_.RegOpenKeyExA(registry_key::kLocalMachine, KeyOf(name).c_str(),
                                                 0, registry_access::kRead, &key);
  if (opened == static_cast<int32_t>(win32_error::kFileNotFound)) {
    return service_error::kDoesNotExist;
  }
  if (opened != 0) return static_cast<uint32_t>(opened);
  ServiceRecord found;
  const bool is_service = QueryDword(registry_, key, "Type", &found.type);
  QueryDword(registry_, key, "Start", &found.start);
  QueryDword(registry_, key, "ErrorControl", &found.error_control);
  found.image_path = QueryText(registry_, key, "ImagePath");
  found.display_name = QueryText(registry_, key, "DisplayName");
  uint32_t delete_flag = 0;
  found.marked_for_delete = QueryDword(registry_, key, "DeleteFlag", &delete_flag) && delete_flag != 0;
  registry_.RegCloseKey(key);
  if (!is_service) return service_error::kDoesNotExist;
  *record = found;
  return 0;
}

uint32_t ServiceRegistry::Create(const std::string& name, const ServiceRecord& record) {
  RegistryKey key = 0;
  int32_t code = registry_.RegCreateKeyExA(registry_key::kLocalMachine, KeyOf(name).c_str(), 0,
                                           registry_access::kAllAccess, &key);
  if (code != 0) return static_cast<uint32_t>(code);
  code = SetDword(registry_, key, "Type", record.type);
  if (code == 0) code = SetDword(registry_, key, "Start", record.start);
  if (code == 0) code = SetDword(registry_, key, "ErrorControl", record.error_control);
  if (code == 0) {
    code = SetText(registry_, key, "ImagePath", registry_type::kExpandString, record.image_path);
  }
  if (code == 0) {
    code = SetText(registry_, key, "DisplayName", registry_type::kString, record.display_name);
  }
  registry_.RegCloseKey(key);
  if (code != 0) Remove(name);  // no half-made service stays behind
  return static_cast<uint32_t>(code);
}

uint32_t ServiceRegistry::MarkForDelete(const std::string& name) {
  RegistryKey key = 0;
  int32_t code = registry_.RegOpenKeyExA(registry_key::kLocalMachine, KeyOf(name).c_str(), 0,
                                         registry_access::kAllAccess, &key);
  if (code == static_cast<int32_t>(win32_error::kFileNotFound)) return service_error::kDoesNotExist;
  if (code != 0) return static_cast<uint32_t>(code);
  code = SetDword(registry_, key, "DeleteFlag", 1);
  registry_.RegCloseKey(key);
  return static_cast<uint32_t>(code);
}

uint32_t ServiceRegistry::Remove(const std::string& name) {
  RegistryKey services = 0;
  const int32_t code = registry_.RegOpenKeyExA(registry_key::kLocalMachine, kServicesKey, 0,
                                               registry_access::kAllAccess, &services);
  if (code != 0) return static_cast<uint32_t>(code);
  const uint32_t removed = RemoveTree(services, name);
  registry_.RegCloseKey(services);
  return removed;
}

// The NT family deletes only keys without subkeys: the tree goes leaf first.
uint32_t ServiceRegistry::RemoveTree(RegistryKey parent, const std::string& name) {
  RegistryKey key = 0;
  int32_t code = registry_.RegOpenKeyExA(parent, name.c_str(), 0, registry_access::kAllAccess, &key);
  if (code != 0) return static_cast<uint32_t>(code);
  char child[256];
  while (registry_.RegEnumKeyA(key, 0, child, sizeof child) == 0) {
    const uint32_t removed = RemoveTree(key, child);
    if (removed != 0) {
      registry_.RegCloseKey(key);
      return removed;
    }
  }
  registry_.RegCloseKey(key);
  return static_cast<uint32_t>(registry_.RegDeleteKeyA(parent, name.c_str()));
}

std::string ServiceImageFile(const std::string& image_path, const std::string& windows_dir) {
  std::string path = image_path;
  if (StartsWithCaseBlind(path, "\\??\\")) return path.substr(4);
  for (const char* root : {"\\SystemRoot\\", "%SystemRoot%\\"}) {
    if (StartsWithCaseBlind(path, root)) return windows_dir + "\\" + path.substr(std::strlen(root));
  }
  const bool absolute = path.size() >= 2 && path[1] == ':';
  return absolute ? path : windows_dir + "\\" + path;
}

}  // namespace velsetup::host
