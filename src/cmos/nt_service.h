// The kernel service "HWAMgmt12" of the NT driver: created, started and its
// device opened around each use, stopped and deleted afterwards when this run
// made it so. A service that was there or running before is left as it was.
#pragma once

#include <string>

#include "platform/device_api.h"

namespace velsetup::cmos {

class NtService {
 public:
  // The service control manager (kept once had), the service for the driver
  // at `driver_path`, started, and its device: the device handle, or
  // kInvalidDevice after the failing step has logged.
  DeviceHandle Connect(const std::string& driver_path);
  // Stops the service when this run started it, deletes it when this run
  // created it.
  void Release();

 private:
  bool Install(const std::string& driver_path);
  bool Start();
  DeviceHandle OpenDevice();

  ServiceHandle manager_ = 0;
  bool created_ = false;  // never cleared: a later use creates it again
  bool started_ = false;
};

}  // namespace velsetup::cmos
