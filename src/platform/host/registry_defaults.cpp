#include "platform/host/registry_defaults.h"

#include <initializer_list>

#include "platform/host/registry_file.h"

namespace velsetup::host {

namespace {

void AddKeys(RegistryTree& tree, Hive hive, std::initializer_list<const char*> paths) {
  for (const char* path : paths) {
    RegistryNode* node = &tree.root(hive);
    std::string rest = path;
    while (!rest.empty()) {
      const size_t slash = rest.find('\\');
      bool created = false;
      node = node->AddSubkey(rest.substr(0, slash), &created);
      rest = slash == std::string::npos ? "" : rest.substr(slash + 1);
    }
  }
}

}  // namespace

RegistryTree DefaultRegistryTree(bool nt_family) {
  RegistryTree tree;
  AddKeys(tree, Hive::kCurrentUser, {"Software"});
  AddKeys(tree, Hive::kUsers, {".DEFAULT\\Software"});
  AddKeys(tree, Hive::kCurrentConfig, {"Software", "System"});
  if (nt_family) {
    AddKeys(tree, Hive::kLocalMachine, {"HARDWARE", "SAM", "SECURITY", "SOFTWARE", "SYSTEM"});
  } else {
    AddKeys(tree, Hive::kLocalMachine,
            {"Config", "Enum", "hardware", "Network", "Security", "SOFTWARE", "System"});
    AddKeys(tree, Hive::kDynData, {"Config Manager\\Enum", "PerfStats"});
  }
  return tree;
}

std::string DefaultRegistryText(bool nt_family) {
  return FormatRegistryFile(DefaultRegistryTree(nt_family), !nt_family);
}

}  // namespace velsetup::host
