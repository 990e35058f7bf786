// The maker's Windows 9x driver (the virtual device behind "\\.\HWAINT15.VXD")
// on the simulated machine: BIOS calls on a register block, the BIOS segment
// mapped into the caller's memory, and the system ID.
//
// Control codes, as the driver answers them:
//   1  a 52-byte register block in, the block after the BIOS call out. With
//      AH = 0xE8: AL = 0x23 reads (BH = 0, into AL) or writes (BH = 1, BL)
//      the CMOS byte at CX; AL = 0x05 stores the language code BL; AL = 0x19
//      writes a length byte and the identification text into the caller's
//      buffer at the 32-bit address of offset 36, whose size is at offset 40.
//      Success clears flags bit 0 (offset 32) and AH; a function the BIOS
//      does not have, or a CMOS index past 127, sets bit 0 with AH = 0x86.
//   2  the segment 0xF000 (2 bytes) in, the 32-bit address of its 64 KB
//      image out (4 bytes).
//   4  the 16-bit system ID out.
// A request that cannot be carried out fails as DeviceIoControl does:
// 87 for an input of the wrong size or content, 122 for an output too small,
// 998 for an identification buffer outside memory the caller was given for
// the purpose, 1 for a code the driver does not know.
#pragma once

#include <cstdint>

#include "platform/host/devices/cmos_memory.h"
#include "platform/host/devices/device_request.h"
#include "platform/host/devices/low_memory.h"
#include "platform/host/devices/machine_bios.h"

namespace velsetup::host {

class Win9xDriver {
 public:
  static constexpr uint32_t kBlockSize = 52;

  Win9xDriver(CmosMemory& cmos, const MachineBios& bios, LowMemoryPool& memory)
      : cmos_(cmos), bios_(bios), memory_(memory) {}

  // Maps the BIOS segment where a 32-bit address reaches it; false when
  // this host has no such memory, and the driver cannot run.
  bool Load();
  // One DeviceIoControl: 0 with `returned` set, or the Win32 error.
  uint32_t Control(uint32_t code, DeviceRequest& request);

 private:
  uint32_t CallBios(DeviceRequest& request);
  uint32_t MapSegment(DeviceRequest& request);

  CmosMemory& cmos_;
  const MachineBios& bios_;
  LowMemoryPool& memory_;
  uint8_t* segment_ = nullptr;  // the BIOS image once loaded
};

}  // namespace velsetup::host
