// Commands that change the registry.
#pragma once

#include <cstdint>
#include <string>

#include "platform/registry_api.h"

namespace velsetup {

// Commands 3 (set a value), 4 (delete a value) and 12 (delete a key), by
// CurrentCmdNumber, from the keys RegHive, RegKey, RegValue, RegData and
// RegDataType of the data section.
uint32_t Cmd03_04_12_SingleRegValue();
// One registry edit a line of the data section.
uint32_t Cmd14_MultiRegEdit();

// Deletes `path` below `hive` with every subkey, each level logging its own
// failure.
void RemoveRegKeyTree(RegistryKey hive, const std::string& path);

}  // namespace velsetup
