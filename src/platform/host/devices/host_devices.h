// DeviceApi of the simulated machine: the maker's two CMOS drivers.
//
// - "\\.\HWAINT15.VXD" (names case-blind) opens on the Windows 9x family
//   (win95, win98, winme) while "HWAInt15.VxD" lies in the system directory,
//   as Windows 9x loads a dynamic virtual device from there. It also needs
//   memory below 4 GB for the addresses it hands out; a host without such
//   memory has no Windows 9x driver.
// - "\\.\HWAMgmt12" opens on the NT family while the maker's kernel driver
//   runs (see HostServices::MakerDriverRunning). A handle opened before the
//   driver was stopped keeps working until it is closed.
// - Any other name, and a driver that is not there, fail the open with 2.
//   Each device is opened unshared: a second open while one is open fails
//   with 5. A handle that is none fails with 6.
//
// The BIOS data come from machine.ini [Bios], the CMOS bytes from cmos.bin.
#pragma once

#include <map>

#include "platform/device_api.h"
#include "platform/host/devices/cmos_memory.h"
#include "platform/host/devices/driver_9x.h"
#include "platform/host/devices/driver_nt.h"
#include "platform/host/devices/host_services.h"
#include "platform/host/machine/last_error.h"
#include "platform/host/devices/low_memory.h"
#include "platform/host/devices/machine_bios.h"
#include "platform/host/machine/machine_config.h"
#include "platform/host/files/path_mapper.h"

namespace velsetup::host {

class HostDevices : public DeviceApi {
 public:
  // `cmos_path`: the host path of cmos.bin.
  HostDevices(const MachineConfig& config, PathMapper& paths, LastError& last_error,
              HostServices& services, std::string cmos_path);

  DeviceHandle OpenDevice(const char* name) override;
  bool DeviceIoControl(DeviceHandle device, uint32_t code, const void* in, uint32_t in_size,
                       void* out, uint32_t out_size, uint32_t* returned) override;
  bool CloseDevice(DeviceHandle device) override;
  // From a pool owned here; null when the host maps nothing below 4 GB.
  uint8_t* LowMemory(size_t size) override;

 private:
  enum class Device { kWin9x, kNt };

  DeviceHandle FailOpen(uint32_t code);
  bool Fail(uint32_t code);
  bool Win9xDriverPresent();
  bool IsOpen(Device device) const;

  bool nt_family_;
  std::string system_dir_;
  PathMapper& paths_;
  LastError& last_error_;
  HostServices& services_;
  CmosMemory cmos_;
  MachineBios bios_;
  LowMemoryPool low_memory_;
  Win9xDriver win9x_;
  NtDriver nt_;
  std::map<DeviceHandle, Device> handles_;
  DeviceHandle next_handle_ = 0x7C0;
};

}  // namespace velsetup::host
