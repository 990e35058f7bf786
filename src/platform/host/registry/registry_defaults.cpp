#include "platform/host/registry/registry_defaults.h"

#include <cstdio>
#include <initializer_list>
#include <utility>

#include "platform/host/machine/installation_layout.h"
#include "platform/host/registry/registry_file.h"
#include "platform/registry_api.h"

namespace velsetup::host {

namespace {

RegistryNode* AddKey(RegistryTree& tree, Hive hive, const std::string& path) {
  RegistryNode* node = &tree.root(hive);
  std::string rest = path;
  while (!rest.empty()) {
    const size_t slash = rest.find('\\');
    bool created = false;
    node = node->AddSubkey(rest.substr(0, slash), &created);
    rest = slash == std::string::npos ? "" : rest.substr(slash + 1);
  }
  return node;
}

void AddKeys(RegistryTree& tree, Hive hive, std::initializer_list<const char*> paths) {
  for (const char* path : paths) AddKey(tree, hive, path);
}

void SetText(RegistryNode* key, const char* name, const std::string& text,
             uint32_t type = registry_type::kString) {
  key->SetValue(name, type, text + '\0');
}

std::string Printed(const char* format, unsigned a, unsigned b, unsigned c = 0) {
  char text[32];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
}

// HKLM\Software\Microsoft\Windows\CurrentVersion, where installers find the
// program directories and register what they put in.
void AddWindowsCurrentVersion(RegistryTree& tree, const MachineConfig& config) {
  const InstallationLayout layout = LayoutOf(config);
  const std::string key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
  RegistryNode* current = AddKey(tree, Hive::kLocalMachine, key);
  SetText(current, "ProgramFilesDir", layout.program_files.Text());
  SetText(current, "CommonFilesDir", layout.common_files.Text());
  const OsVersionInfo& version = config.version;
  if (config.nt_family()) {
    SetText(current, "DevicePath", "%SystemRoot%\\inf", registry_type::kExpandString);
  } else {
    SetText(current, "SystemRoot", config.windows_dir.Text());
    SetText(current, "DevicePath", layout.inf.Text());
    // "4.10.1998": the build in the low word of what GetVersionExA reports.
    SetText(current, "VersionNumber",
            Printed("%u.%02u.%u", version.major, version.minor, version.build & 0xFFFF));
    SetText(current, "ProductName", layout.product_name);
  }
  std::vector<std::string> subkeys = {"App Paths", "Run", "RunOnce", "Uninstall"};
  if (!config.nt_family()) subkeys.insert(subkeys.end(), {"RunServices", "RunServicesOnce"});
  for (const std::string& name : subkeys) AddKey(tree, Hive::kLocalMachine, key + "\\" + name);
  AddKeys(tree, Hive::kCurrentUser,
          {"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
           "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"});
}

// HKLM\Software\Microsoft\Windows NT\CurrentVersion: the NT family's own
// version record.
void AddWindowsNtCurrentVersion(RegistryTree& tree, const MachineConfig& config) {
  const InstallationLayout layout = LayoutOf(config);
  RegistryNode* current =
      AddKey(tree, Hive::kLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
  const OsVersionInfo& version = config.version;
  SetText(current, "CurrentVersion", Printed("%u.%u", version.major, version.minor));
  SetText(current, "CurrentBuildNumber", std::to_string(version.build));
  SetText(current, "CurrentType", "Uniprocessor Free");
  if (!version.service_pack.empty()) SetText(current, "CSDVersion", version.service_pack);
  if (!layout.product_name.empty()) SetText(current, "ProductName", layout.product_name);
  SetText(current, "SystemRoot", config.windows_dir.Text());
  SetText(current, "RegisteredOwner", "Velmor");
}

}  // namespace

RegistryTree DefaultRegistryTree(const MachineConfig& config) {
  RegistryTree tree;
  AddKeys(tree, Hive::kCurrentUser, {"Software"});
  AddKeys(tree, Hive::kUsers, {".DEFAULT\\Software"});
  AddKeys(tree, Hive::kCurrentConfig, {"Software", "System"});
  if (config.nt_family()) {
    AddKeys(tree, Hive::kLocalMachine, {"HARDWARE", "SAM", "SECURITY", "SOFTWARE", "SYSTEM"});
    AddWindowsNtCurrentVersion(tree, config);
  } else {
    AddKeys(tree, Hive::kLocalMachine,
            {"Config", "Enum", "hardware", "Network", "Security", "SOFTWARE", "System"});
    AddKeys(tree, Hive::kDynData, {"Config Manager\\Enum", "PerfStats"});
  }
  AddWindowsCurrentVersion(tree, config);
  return tree;
}

std::string DefaultRegistryText(const MachineConfig& config) {
  return FormatRegistryFile(DefaultRegistryTree(config), !config.nt_family());
}

}  // namespace velsetup::host
