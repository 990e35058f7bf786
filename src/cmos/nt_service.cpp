#include "cmos/nt_service.h"

#include "platform/driver_contract.h"
#include "cmos/driver_file.h"
#include "engine/install_log.h"
#include "engine/run_state.h"
#include "engine/text_format.h"

namespace velsetup::cmos {

namespace {

using cmos_contract::nt::kDevice;
using cmos_contract::nt::kServiceName;
constexpr uint32_t kPendingPollMs = 1000;
// A driver still starting after this many polls is taken as started: the
// device open that follows tells whether it is usable.
constexpr int kMaxPendingPolls = 30;

}  // namespace

DeviceHandle NtService::Connect(const std::string& driver_path) {
  if (manager_ == 0) manager_ = Services().OpenSCManagerA(service::kManagerAllAccess);
  if (!Install(driver_path) || !Start()) return kInvalidDevice;
  return OpenDevice();
}

bool NtService::Install(const std::string& driver_path) {
  if (manager_ == 0) return false;
  const ServiceHandle created = Services().CreateServiceA(
      manager_, kServiceName, kServiceName, service::kAllAccess, service::kKernelDriver,
      service::kDemandStart, service::kErrorNormal, driver_path.c_str());
  if (created != 0) {
    created_ = true;
    Services().CloseServiceHandle(created);
    return true;
  }
  if (System().GetLastError() == service_error::kExists) return true;
  LogAtLevel(2, "InstallServiceNT() - CreateService(\\\\.\\HWAMgmt12) returned with " + LastErrorPart());
  return false;
}

bool NtService::Start() {
  if (manager_ == 0) return false;
  const ServiceHandle handle = Services().OpenServiceA(manager_, kServiceName, service::kAllAccess);
  if (handle == 0) return false;
  bool started = true;
  if (Services().StartServiceA(handle)) {
    uint32_t state = 0;
    for (int polls = 0; polls < kMaxPendingPolls &&
                        Services().QueryServiceStatus(handle, &state) &&
                        state == service::kStartPending;
         ++polls) {
      System().Sleep(kPendingPollMs);
    }
    started_ = true;
  } else if (System().GetLastError() != service_error::kAlreadyRunning) {
    LogAtLevel(2, "StartServiceNT() - StartService() returned with " + LastErrorPart());
    started = false;
  }
  Services().CloseServiceHandle(handle);
  return started;
}

DeviceHandle NtService::OpenDevice() {
  const DeviceHandle device = Devices().OpenDevice(kDevice);
  if (device == kInvalidDevice) {
    LogAtLevel(2, "OpenServiceNT() - CreateFile(\\\\.\\HWAMgmt12) returned with " + LastErrorPart());
  }
  return device;
}

void NtService::Release() {
  if (manager_ == 0) return;
  if (started_) {
    // The stop is asked for, not waited for; a failure goes unreported.
    if (const ServiceHandle handle =
            Services().OpenServiceA(manager_, kServiceName, service::kAllAccess)) {
      uint32_t state = 0;
      Services().ControlService(handle, service::kControlStop, &state);
      Services().CloseServiceHandle(handle);
    }
  }
  if (created_) {
    if (const ServiceHandle handle =
            Services().OpenServiceA(manager_, kServiceName, service::kAllAccess)) {
      Services().DeleteService(handle);
      Services().CloseServiceHandle(handle);
    }
  }
}

}  // namespace velsetup::cmos
