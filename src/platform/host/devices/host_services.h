// ServiceApi of the simulated machine: the service control manager of the NT
// family. The Windows 9x family has none: every call fails there with 120.
//
// - Services are registry keys (see ServiceRegistry), so they persist across
//   runs; which of them run is machine state kept in services.running (see
//   RunningServices). Handles belong to this process, as SC_HANDLEs do.
// - Errors as the service control manager gives them: 6 for a handle that is
//   none (or of the wrong kind), 123 for a name with a backslash or slash,
//   1073 when creating a service that exists, 1060 when opening one that does
//   not, 1056 when starting one that runs, 1058 when starting a disabled one,
//   2 (or 3) when its image file is missing, 1062 when stopping one that does
//   not run, 1052 for any control of a driver but the stop.
// - DeleteService marks the service (its key gets DeleteFlag); it goes once
//   it is stopped and no handle refers to it. Until then creating it again
//   fails with 1072, and so do starting it and deleting it once more.
// - A kernel or file-system driver starts synchronously and is running when
//   StartServiceA returns; a stop leaves it stopped at once, even with its
//   device open: drivers answer both within the call, near enough for every
//   caller here. A Win32 service would need a program that talks to the
//   service control manager, which the simulated machine cannot run: its
//   start fails with 1053.
// - Access rights are not checked: the simulated user is an administrator.
#pragma once

#include <map>
#include <string>

#include "platform/device_api.h"
#include "platform/host/machine/last_error.h"
#include "platform/host/machine/machine_config.h"
#include "platform/host/files/path_mapper.h"
#include "platform/host/devices/running_services.h"
#include "platform/host/devices/service_registry.h"
#include "platform/registry_api.h"

namespace velsetup::host {

class HostServices : public ServiceApi {
 public:
  // `running_path`: the host path of services.running.
  HostServices(const MachineConfig& config, RegistryApi& registry, PathMapper& paths,
               LastError& last_error, std::string running_path);
  // The process's handles close with it: a marked service that has stopped
  // goes now.
  ~HostServices() override;

  ServiceHandle OpenSCManagerA(uint32_t access) override;
  ServiceHandle CreateServiceA(ServiceHandle manager, const char* name, const char* display_name,
                               uint32_t access, uint32_t service_type, uint32_t start_type,
                               uint32_t error_control, const char* binary_path) override;
  ServiceHandle OpenServiceA(ServiceHandle manager, const char* name, uint32_t access) override;
  bool StartServiceA(ServiceHandle service) override;
  bool QueryServiceStatus(ServiceHandle service, uint32_t* current_state) override;
  bool ControlService(ServiceHandle service, uint32_t control, uint32_t* current_state) override;
  bool DeleteService(ServiceHandle service) override;
  bool CloseServiceHandle(ServiceHandle handle) override;

  // Whether the maker's NT driver is loaded, so that its device exists. The
  // simulation cannot look inside a driver file: a running kernel driver is
  // taken for the maker's when its image is a file of the name the maker
  // ships it under, "HWAMgmt.Sys" (case-blind), whatever its service is
  // called. Any other running driver makes no device.
  bool MakerDriverRunning();

 private:
  struct Handle {
    bool manager = false;
    std::string service;  // the name as the caller gave it
  };

  bool Fail(uint32_t code);
  ServiceHandle FailHandle(uint32_t code);
  bool IsManager(ServiceHandle handle) const;
  // The service a handle stands for, or null when it is no service handle.
  const Handle* ServiceOf(ServiceHandle handle) const;
  // The open service behind `service` and its record, checked in the order
  // every service call checks them (a call whose answer has nowhere to go
  // is refused once the handle is known good); 0 or the error to fail with.
  uint32_t Service(ServiceHandle service, bool answer_missing, const Handle** handle,
                   ServiceRecord* record);
  ServiceHandle NewHandle(Handle handle);
  // Finds a service, deleting it first when it is marked, stopped and has
  // no handle left (a run that ended without closing its handles).
  uint32_t Lookup(const std::string& name, ServiceRecord* record);
  // Deletes a marked service once it is stopped and without handles.
  void Collect(const std::string& name);
  bool HasHandles(const std::string& name) const;

  bool nt_family_;
  std::string windows_dir_;
  PathMapper& paths_;
  LastError& last_error_;
  ServiceRegistry registry_;
  RunningServices running_;
  std::map<ServiceHandle, Handle> handles_;
  ServiceHandle next_handle_ = 0x150000;
};

}  // namespace velsetup::host
