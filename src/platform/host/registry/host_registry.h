// RegistryApi of the simulated machine, kept in registry.reg.
//
// Each call behaves as the A function does on the machine's Windows, on the
// points a setup script meets; where the 9x and NT families differ, the
// machine's family decides:
//
// - Handles. A bad handle (never issued, closed, null) is 6 on the NT family
//   and ERROR_BADKEY (1010) on the 9x family, which also takes a second close
//   of a handle without complaint. HKEY_DYN_DATA is a hive of the 9x family
//   only. HKEY_PERFORMANCE_DATA is no stored hive: on the NT family it can be
//   closed and every other call on it fails with 6, as there; the 9x family
//   does not have it.
// - A key deleted while a handle refers to it: every call on the handle but
//   the close fails with ERROR_KEY_DELETED (1018).
// - Names. Case-blind, keeping the case they were created with. A key name
//   longer than 255 characters is refused with 87. A value name longer than
//   the A calls take is refused: with 234 on NT 4.0 and 2000 (over 260
//   characters, the buffer their A calls convert the name in), with 87 beyond
//   16383 on XP and beyond 255 on the 9x family. A sub key path beginning
//   with a backslash is 161 on the NT family, which the 9x family ignores.
// - Security, NT family only: a handle carries the access it was opened
//   with; setting or deleting a value needs KEY_SET_VALUE, reading one
//   KEY_QUERY_VALUE, enumerating subkeys KEY_ENUMERATE_SUB_KEYS (5 without).
//   REG_OPTION_BACKUP_RESTORE ignores the access asked for and grants read
//   access for an enabled backup privilege and write access for an enabled
//   restore privilege; with neither, the open fails with 5. The 9x family
//   has no security and ignores the option, as it ignores REG_OPTION_VOLATILE.
// - Volatile keys (NT family) live in this process only and are never
//   written to registry.reg; a stable key below one is refused with 1021.
// - RegDeleteKeyA deletes a key with subkeys on the 9x family, tree and all,
//   and refuses it with 5 on the NT family. A hive itself is never deleted
//   (5 on both families). A null sub key is the key itself on NT 4.0 and 2000
//   (a known flaw of theirs), 87 on XP and 1010 on the 9x family.
// - Data. RegSetValueExA stores exactly the `size` bytes given; it never
//   looks past them (Windows peeks at the byte after an unterminated string).
//   RegQueryValueExA reports 234 and the size needed when the buffer is
//   small, leaves the buffer alone then, and ends a string without its zero
//   with one when there is room, as the NT family does.
//
// Durability: every change is in registry.reg before the call returns (see
// RegistryStore). A file changed behind the registry's back is read again at
// the next call, and open handles follow their keys into it. A file that
// cannot be parsed is never overwritten: Open reports it, and a call that
// meets it later fails with ERROR_BADDB (1009) until it is repaired. A
// vanished file reads as a new machine's registry.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/host/machine/host_system.h"
#include "platform/host/machine/machine_config.h"
#include "platform/host/registry/registry_store.h"
#include "platform/host/registry/registry_tree.h"
#include "platform/registry_api.h"

namespace velsetup::host {

class HostRegistry : public RegistryApi {
 public:
  // `registry_path`: the host path of registry.reg. The privileges of the
  // simulated token come from `system`.
  HostRegistry(std::string registry_path, const MachineConfig& config, const HostSystem& system);

  // Reads registry.reg; false, with `*error` saying what is wrong with it,
  // when it cannot be read or parsed.
  bool Open(std::string* error);

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

 private:
  struct Handle {
    std::shared_ptr<RegistryNode> node;
    uint32_t access = 0;
  };
  // What a key argument stands for, once checked.
  struct Target {
    RegistryNode* node = nullptr;
    uint32_t access = 0;
  };

  uint32_t BadHandle() const;
  // Resolves `key` after taking in any change on disk; 0 or the error code.
  uint32_t Resolve(RegistryKey key, Target* target);
  // Takes in a change made to registry.reg behind this registry's back.
  uint32_t Refresh();
  uint32_t Load(std::string* error);
  void Adopt(RegistryTree tree);
  // Writes the tree; on failure takes the disk's state back.
  uint32_t Commit();
  // Splits a sub key path; 0 or the error code for a bad one.
  uint32_t SplitPath(const char* sub_key, std::vector<std::string>* names) const;
  uint32_t CheckValueName(const char* value_name) const;
  // The access an open with `options` is granted, or 5.
  uint32_t GrantedAccess(uint32_t options, uint32_t access, uint32_t* granted) const;
  // What creating or opening `sub_key` below `key` starts from: the key, the
  // sub key's names and the access granted; 0 or the first error met.
  uint32_t Locate(RegistryKey key, const char* sub_key, uint32_t options, uint32_t access,
                  Target* target, std::vector<std::string>* names, uint32_t* granted);
  bool Allowed(const Target& target, uint32_t right) const;
  // The key whose value `value_name` is set or deleted, open for setting
  // values, with the name checked; 0 or the first error met.
  uint32_t ValueToChange(RegistryKey key, const char* value_name, Target* target);
  RegistryKey NewHandle(RegistryNode* node, uint32_t access);

  std::string os_name_;
  bool nt_family_;
  MachineConfig config_;  // what a registry made afresh holds
  const HostSystem& system_;
  RegistryStore store_;
  RegistryTree tree_;
  std::string broken_;  // why registry.reg cannot be parsed, while it cannot
  std::map<RegistryKey, Handle> handles_;
  RegistryKey next_handle_;
};

}  // namespace velsetup::host
