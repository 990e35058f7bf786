// The simulated Windows machine of the host build, whole: opens (or makes) a
// machine directory and hands out the platform the tool runs on.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/host/files/dos_attributes.h"
#include "platform/host/machine/events.h"
#include "platform/host/machine/fault_injection.h"
#include "platform/host/devices/host_devices.h"
#include "platform/host/files/host_files.h"
#include "platform/host/processes/host_processes.h"
#include "platform/host/profile/host_profile.h"
#include "platform/host/registry/host_registry.h"
#include "platform/host/devices/host_services.h"
#include "platform/host/machine/host_system.h"
#include "platform/host/processes/host_ui.h"
#include "platform/host/machine/last_error.h"
#include "platform/host/machine/machine_config.h"
#include "platform/host/machine/machine_file_access.h"
#include "platform/host/files/path_mapper.h"
#include "platform/platform.h"

namespace velsetup::host {

class HostPlatform {
 public:
  // Opens the machine in `machine_dir`, creating it or completing it first.
  // `host_binary_path` is where the tool's own program is taken to lie, the
  // default module path: a host path, seen through the drive that maps it,
  // or a Windows path (anything holding ":\\"), taken as it is.
  // Null, with `*error` saying why, when the directory cannot be made ready
  // or its registry.reg cannot be parsed (it is left as it is for the user
  // to repair: a registry is never replaced behind its owner's back).
  // Warnings about machine.ini go to standard error.
  static std::unique_ptr<HostPlatform> Open(const std::string& machine_dir,
                                            const std::string& host_binary_path,
                                            std::string* error);

  // VELSETUP_MACHINE, else $HOME/.velsetup/machine.
  static std::string DefaultMachineDir();

  // With faults asked for (see fault_injection.h) the profile, file and
  // registry calls go through the seams that inject them.
  Platform platform() {
    if (faulty_files_ != nullptr) {
      return Platform{faulty_profile_.get(),  faulty_files_.get(), &system_,   &ui_,
                      faulty_registry_.get(), &processes_,         &devices_, &services_};
    }
    return Platform{&profile_,  &files_,     &system_,  &ui_,
                    &registry_, &processes_, &devices_, &services_};
  }
  const std::string& machine_dir() const { return machine_dir_; }
  const MachineConfig& config() const { return config_; }
  EventLog& events() { return events_; }
  PathMapper& paths() { return paths_; }

  // `/home/a/s.ini` as `Z:\home\a\s.ini`: through the drive that maps it.
  std::optional<std::string> WindowsPathOf(const std::string& host_absolute_path) const {
    return paths_.WindowsPathOf(host_absolute_path);
  }

 private:
  HostPlatform(std::string machine_dir, MachineConfig config,
               const std::string& host_binary_path);

  std::string machine_dir_;
  MachineConfig config_;
  LastError last_error_;
  PathMapper paths_;
  DosAttributes attributes_;
  MachineFileAccess file_access_;
  EventLog events_;
  HostProfile profile_;
  HostFiles files_;
  HostSystem system_;
  HostUi ui_;
  HostRegistry registry_;
  HostProcesses processes_;
  HostServices services_;
  HostDevices devices_;
  std::unique_ptr<FaultyProfile> faulty_profile_;
  std::unique_ptr<FaultyFiles> faulty_files_;
  std::unique_ptr<FaultyRegistry> faulty_registry_;
};

}  // namespace velsetup::host
