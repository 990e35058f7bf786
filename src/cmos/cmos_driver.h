// The CMOS driver table: the one way the tool reaches the machine's BIOS
// area and CMOS, through the maker's driver for the running Windows. The
// table is chosen once per run (SelectCmosDriver); every user then calls
// Cmos() without knowing which driver is behind it.
#pragma once

#include <cstdint>
#include <string>

namespace velsetup {

class CmosDriver {
 public:
  virtual ~CmosDriver() = default;
  // Puts the driver file that lies beside the program where the system
  // finds it: 0 when it is in place, 1 on failure.
  virtual uint32_t LoadDriver() = 0;
  virtual void DeleteDriver() = 0;
  // 0 when the device is open (also when it was open already).
  virtual uint32_t OpenVDD() = 0;
  virtual void CloseVDD() = 0;
  // 0, or 1 when the read failed (the byte is then 0 on the 9x driver and
  // left as it was on the NT driver).
  virtual uint32_t ReadCMOS(uint32_t index, uint8_t* value) = 0;
  virtual void WriteCMOS(uint32_t index, uint8_t value) = 0;
  // Bytes 46 (high) and 47 (low) become the sum of bytes 16 to 45.
  virtual void UpdateCMOSChecksum() = 0;
  virtual uint32_t SetLangCodeInCMOS(uint8_t code) = 0;
  // The BIOS identification text, at most 16 characters, into `text`; the
  // result is the BIOS error code (AH), 0 when none. `text` is left as it
  // was when the request failed.
  virtual uint8_t GetBiosString(std::string* text) = 0;
  // The 6 bytes of the maker signature at F000:FFEA, up to a zero byte
  // among them; `text` is left as it was when the request failed.
  virtual uint32_t GetVelmorString(std::string* text) = 0;
  // 0 when the machine has none or the request failed.
  virtual uint16_t GetSystemID() = 0;
};

// The NT driver on Windows NT 4.0 and 2000, the Windows 9x driver on every
// other Windows; kept for the rest of the run.
void SelectCmosDriver();
// The table of this run (chosen by SelectCmosDriver, or at first use).
CmosDriver& Cmos();

}  // namespace velsetup
