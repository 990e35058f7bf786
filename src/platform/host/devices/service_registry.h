// The services of the simulated NT machine, kept where Windows keeps them:
// one key a service below HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services,
// holding Type, Start and ErrorControl (REG_DWORD), ImagePath (REG_EXPAND_SZ)
// and DisplayName (REG_SZ), and DeleteFlag (REG_DWORD 1) once the service is
// marked for delete. A key there without a Type value is no service, as for
// the service control manager. Living in registry.reg, services outlast the
// run and can be seeded or read like any other key.
#pragma once

#include <cstdint>
#include <string>

#include "platform/registry_api.h"

namespace velsetup::host {

struct ServiceRecord {
  uint32_t type = 0;
  uint32_t start = 0;
  uint32_t error_control = 0;
  std::string image_path;
  std::string display_name;
  bool marked_for_delete = false;
};

class ServiceRegistry {
 public:
  explicit ServiceRegistry(RegistryApi& registry) : registry_(registry) {}

  // 0, 1060 when there is no such service, or the registry's error.
  uint32_t Find(const std::string& name, ServiceRecord* record);
  // Writes a new service's key; 0 or the registry's error.
  uint32_t Create(const std::string& name, const ServiceRecord& record);
  uint32_t MarkForDelete(const std::string& name);
  // Removes the service's key with everything below it.
  uint32_t Remove(const std::string& name);

 private:
  uint32_t RemoveTree(RegistryKey parent, const std::string& name);

  RegistryApi& registry_;
};

// The Windows path of a service's image as the loader finds it: "\??\C:\x"
// and "C:\x" as they are, "\SystemRoot\x", "%SystemRoot%\x" and a relative
// "System32\x" below the Windows directory.
std::string ServiceImageFile(const std::string& image_path, const std::string& windows_dir);

}  // namespace velsetup::host
