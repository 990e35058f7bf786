// The registry a new simulated machine starts with: the standard hives, the
// top-level keys every installation of its family has, and the values that
// installers read and write, with the paths and version numbers that
// version of Windows really has.
#pragma once

#include <string>

#include "platform/host/machine/machine_config.h"
#include "platform/host/registry/registry_tree.h"

namespace velsetup::host {

RegistryTree DefaultRegistryTree(const MachineConfig& config);
std::string DefaultRegistryText(const MachineConfig& config);

}  // namespace velsetup::host
