// The registry a new simulated machine starts with: the standard hives and
// the top-level keys every installation of its family has.
#pragma once

#include <string>

#include "platform/host/registry_tree.h"

namespace velsetup::host {

RegistryTree DefaultRegistryTree(bool nt_family);
std::string DefaultRegistryText(bool nt_family);

}  // namespace velsetup::host
