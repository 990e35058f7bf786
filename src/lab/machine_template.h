// The machines of a lab run. Each profile gets a fresh machine, copied from
// a template made once a lab run for each kind of fresh installation (the
// [Machine] settings and the power management): opening a machine from
// nothing builds its layout and writes its registry, which costs far more
// than copying the result.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "lab/lab_result.h"
#include "platform/host/machine/machine_config.h"

namespace velsetup::lab {

// Where the tool lies on every lab machine: its kit's directory is ~%C001.
extern const char kKitDirectory[];   // C:\KIT
extern const char kToolPath[];       // C:\KIT\velsetup.exe

// machine.ini of a profile: its settings, the lab's module path, and Z:
// given empty so that nothing of the host is seen.
std::string MachineIniText(const Profile& profile);

class MachineTemplates {
 public:
  explicit MachineTemplates(std::string directory) : directory_(std::move(directory)) {}

  // The template directory for `profile`, made on first use; safe to call
  // from the lab's threads. Empty with `*error` when it cannot be made.
  std::string TemplateFor(const Profile& profile, std::string* error);

 private:
  std::string directory_;
  std::mutex mutex_;
  std::map<std::string, std::string> made_;  // key -> directory
};

// Makes the machine of `profile` in `machine_dir` from `template_dir`: a
// copy, the profile's machine.ini, and what a start completes for it (a PC
// of the maker has its description file, as the factory leaves it).
// `*config` is the machine as the host program will read it.
bool MakeProfileMachine(const std::string& template_dir, const std::string& machine_dir,
                        const Profile& profile, host::MachineConfig* config, std::string* error);

// Adds the key that makes Windows 98 a machine that runs with ACPI to the
// registry.reg of `machine_dir`.
bool AddAcpiKey(const std::string& machine_dir, bool nt_family, std::string* error);

}  // namespace velsetup::lab
