// The CMOS driver table over the NT driver, device "\\.\HWAMgmt12" of the
// kernel service of the same name.
#pragma once

#include "cmos/driver_file.h"
#include "cmos/nt_service.h"
#include "platform/device_api.h"

namespace velsetup::cmos {

class NtCmosDriver : public InstalledCmosDriver {
 public:
  NtCmosDriver();

  uint32_t OpenVDD() override;
  void CloseVDD() override;
  uint32_t ReadCMOS(uint32_t index, uint8_t* value) override;
  void WriteCMOS(uint32_t index, uint8_t value) override;
  void UpdateCMOSChecksum() override;
  uint32_t SetLangCodeInCMOS(uint8_t code) override;
  uint8_t GetBiosString(std::string* text) override;
  uint32_t GetVelmorString(std::string* text) override;
  uint16_t GetSystemID() override;

 private:
  bool Request(uint32_t code, const void* in, uint32_t in_size, void* out, uint32_t out_size,
               uint32_t* returned = nullptr);

  std::string driver_path_;  // what the service is created with
  NtService service_;
};

}  // namespace velsetup::cmos
