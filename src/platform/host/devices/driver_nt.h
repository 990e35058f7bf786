// The maker's NT driver (the kernel driver behind "\\.\HWAMgmt12") on the
// simulated machine: physical memory of the BIOS segment, the system ID,
// CMOS bytes, and BIOS calls on a register block.
//
// Control codes, as the driver answers them:
//   0x80002000  {u32 physical address, u32 length} in: that many bytes of
//               F0000-FFFFF out (the maker signature lies at FFFEA).
//   0x80002008  the 16-bit system ID out.
//   0x80002028  {u32 first index, u32 count} in: count CMOS bytes out.
//   0x8000205C  {u32 index, u8 value} (5 bytes) in: the CMOS byte is stored.
//   0x80002058  a 40-byte register block, or 58 with an 18-byte data area,
//               in and the same size out. With AH = 0xE8: AL = 0x00 stores
//               the language code BL; AL = 0x19 (58 bytes only) puts a length
//               byte at offset 40 and the identification text from 41.
//               Success clears flags bit 0 (offset 28) and AH; a function the
//               BIOS does not have sets bit 0 with AH = 0x86.
// Requests outside these bounds fail as DeviceIoControl does: 87 for an
// input of the wrong size or a range outside the BIOS segment or the 128
// CMOS bytes, 122 for an output too small, 1 for an unknown code.
#pragma once

#include <cstdint>

#include "platform/host/devices/cmos_memory.h"
#include "platform/host/devices/device_request.h"
#include "platform/host/devices/machine_bios.h"

namespace velsetup::host {

class NtDriver {
 public:
  NtDriver(CmosMemory& cmos, const MachineBios& bios) : cmos_(cmos), bios_(bios) {}

  // One DeviceIoControl: 0 with `returned` set, or the Win32 error.
  uint32_t Control(uint32_t code, DeviceRequest& request);

 private:
  uint32_t ReadMemory(DeviceRequest& request);
  uint32_t ReadCmos(DeviceRequest& request);
  uint32_t WriteCmos(const DeviceRequest& request);
  uint32_t CallBios(DeviceRequest& request);

  CmosMemory& cmos_;
  const MachineBios& bios_;
};

}  // namespace velsetup::host
