// One DeviceIoControl as a simulated driver answers it, and the answers both
// of the maker's drivers give alike.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/host/devices/little_endian.h"
#include "platform/host/devices/machine_bios.h"
#include "platform/platform.h"

namespace velsetup::host {

// The caller's buffers; `returned` counts the bytes the answer put in `out`.
struct DeviceRequest {
  const uint8_t* in = nullptr;
  uint32_t in_size = 0;
  uint8_t* out = nullptr;
  uint32_t out_size = 0;
  uint32_t returned = 0;
};

// The 16-bit system ID out; 0 or the Win32 error.
inline uint32_t AnswerSystemId(const MachineBios& bios, DeviceRequest& request) {
  if (request.out_size < 2) return win32_error::kInsufficientBuffer;
  Put16(request.out, bios.system_id());
  request.returned = 2;
  return 0;
}

// How an interrupt 15h call ends in a register block: flags bit 0 and AH
// cleared when it was done, bit 0 set and AH 0x86 for a function the BIOS
// does not have.
inline void EndBiosCall(uint8_t* block, size_t ah_at, size_t flags_at, bool done) {
  const uint32_t flags = Get32(&block[flags_at]);
  Put32(&block[flags_at], done ? flags & ~1u : flags | 1u);
  block[ah_at] = done ? 0 : 0x86;
}

}  // namespace velsetup::host
