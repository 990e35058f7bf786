// The CMOS driver table over the Windows 9x driver, device "\\.\HWAINT15.VXD".
#pragma once

#include "cmos/driver_file.h"
#include "cmos/register_block.h"
#include "platform/device_api.h"

namespace velsetup::cmos {

class Win9xCmosDriver : public InstalledCmosDriver {
 public:
  Win9xCmosDriver();

  uint32_t OpenVDD() override;
  void CloseVDD() override;
  // A failed device call counts as a failed read or write, as a refusal of
  // the BIOS does: the zeroed answer would otherwise pass for a byte 0.
  uint32_t ReadCMOS(uint32_t index, uint8_t* value) override;
  void WriteCMOS(uint32_t index, uint8_t value) override;
  void UpdateCMOSChecksum() override;
  uint32_t SetLangCodeInCMOS(uint8_t code) override;
  uint8_t GetBiosString(std::string* text) override;
  uint32_t GetVelmorString(std::string* text) override;
  uint16_t GetSystemID() override;

 private:
  // One BIOS call through control code 1; false when the device call failed.
  bool Call(const Block9x& in, Block9x* out);
};

}  // namespace velsetup::cmos
