#include "lab/machine_template.h"

#include <sys/stat.h>

#include "lab/host_tree.h"
#include "platform/host/machine/host_machine.h"
#include "platform/host/machine/host_platform.h"
#include "platform/host/profile/profile_store.h"
#include "platform/host/registry/registry_file.h"

namespace velsetup::lab {

const char kKitDirectory[] = "C:\\KIT";
const char kToolPath[] = "C:\\KIT\\velsetup.exe";

namespace {

// Every template starts as a foreign PC: the maker's description file
// depends on the profile's signature and language and is added per profile.
std::string TemplateIniText(const Profile& profile) {
  std::string text = "[Machine]\n";
  for (const Profile::Setting& setting : profile.machine) {
    if (setting.section == "Machine") text += setting.key + "=" + setting.value + "\n";
  }
  text += std::string("ModulePath=") + kToolPath + "\n[Drives]\nZ=\n[Bios]\nSignature=\n";
  return text;
}

std::string TemplateKey(const Profile& profile) {
  return TemplateIniText(profile) + "Power=" + profile.power;
}

}  // namespace

std::string MachineIniText(const Profile& profile) {
  std::string text = "[Machine]\n";
  for (const Profile::Setting& setting : profile.machine) {
    if (setting.section == "Machine") text += setting.key + "=" + setting.value + "\n";
  }
  text += std::string("ModulePath=") + kToolPath + "\n[Drives]\nZ=\n[Bios]\n";
  for (const Profile::Setting& setting : profile.machine) {
    if (setting.section == "Bios") text += setting.key + "=" + setting.value + "\n";
  }
  return text;
}

bool AddAcpiKey(const std::string& machine_dir, bool nt_family, std::string* error) {
  const std::string path = machine_dir + "/registry.reg";
  std::string bytes;
  if (!ReadHostFile(path, &bytes)) {
    *error = "cannot read " + path;
    return false;
  }
  host::RegistryTree tree;
  if (!host::ParseRegistryFile(bytes, &tree, error)) return false;
  bool created = false;
  tree.root(host::Hive::kLocalMachine).AddSubkey("Enum", &created)->AddSubkey("ACPI", &created);
  return WriteHostFile(path, host::FormatRegistryFile(tree, !nt_family), error);
}

std::string MachineTemplates::TemplateFor(const Profile& profile, std::string* error) {
  // One lock for all: a template is made once, before any profile that
  // needs it is copied, and making one takes milliseconds.
  std::lock_guard<std::mutex> lock(mutex_);
  const std::string key = TemplateKey(profile);
  auto found = made_.find(key);
  if (found != made_.end()) return found->second;
  const std::string dir = directory_ + "/template-" + std::to_string(made_.size() + 1);
  if (::mkdir(dir.c_str(), 0755) != 0 ||
      !WriteHostFile(dir + "/machine.ini", TemplateIniText(profile), error)) {
    if (error->empty()) *error = "cannot create " + dir;
    return std::string();
  }
  // Opened as the host program opens it, so that the template holds exactly
  // what a fresh machine of that kind holds.
  auto machine = host::HostPlatform::Open(dir, kToolPath, error);
  if (!machine) return std::string();
  const bool nt = machine->config().nt_family();
  machine.reset();
  if (profile.power == "ACPI" && !AddAcpiKey(dir, nt, error)) return std::string();
  made_.emplace(key, dir);
  return dir;
}

bool MakeProfileMachine(const std::string& template_dir, const std::string& machine_dir,
                        const Profile& profile, host::MachineConfig* config,
                        std::string* error) {
  if (!CopyTree(template_dir, machine_dir, {}, error)) return false;
  if (!WriteHostFile(machine_dir + "/machine.ini", MachineIniText(profile), error)) return false;
  std::vector<std::string> warnings;
  host::ProfileStore store;
  *config = host::LoadMachineConfig(machine_dir, store, &warnings);
  if (!warnings.empty()) {
    *error = "machine.ini: " + warnings.front();
    return false;
  }
  // What the first start would add (the maker's description file) is added
  // now, so that it counts as the machine's own and not as the script's.
  return host::CompleteMachine(machine_dir, *config, &warnings, error);
}

}  // namespace velsetup::lab
