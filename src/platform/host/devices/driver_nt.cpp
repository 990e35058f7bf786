#include "platform/host/devices/driver_nt.h"

#include <cstring>

#include "platform/host/devices/little_endian.h"
#include "platform/driver_contract.h"
#include "platform/platform.h"

namespace velsetup::host {

namespace {

using namespace cmos_contract::nt;
using cmos_contract::kBiosFunction;
using cmos_contract::kIdentification;

constexpr uint32_t kBlockSize = 40;
constexpr uint32_t kDataSize = 18;
constexpr uint8_t kUnsupported = 0x86;  // AH of a refused interrupt 15h call

constexpr size_t kAl = 0, kAh = 1, kBl = 4, kFlags = 28, kTextLength = 40, kText = 41;

}  // namespace

uint32_t NtDriver::Control(uint32_t code, const uint8_t* in, uint32_t in_size, uint8_t* out,
                           uint32_t out_size, uint32_t* returned) {
  *returned = 0;
  switch (code) {
    case kReadMemory: return ReadMemory(in, in_size, out, out_size, returned);
    case kSystemId:
      if (out_size < 2) return win32_error::kInsufficientBuffer;
      Put16(out, bios_.system_id());
      *returned = 2;
      return 0;
    case kReadCmos: return ReadCmos(in, in_size, out, out_size, returned);
    case kWriteCmos: return WriteCmos(in, in_size);
    case kCallBios: return CallBios(in, in_size, out, out_size, returned);
    default: return win32_error::kInvalidFunction;
  }
}

uint32_t NtDriver::ReadMemory(const uint8_t* in, uint32_t in_size, uint8_t* out,
                              uint32_t out_size, uint32_t* returned) {
  if (in_size != 8) return win32_error::kInvalidParameter;
  const uint64_t address = Get32(in);
  const uint32_t length = Get32(in + 4);
  // The driver maps nothing but the BIOS segment.
  if (address < MachineBios::kSegmentBase ||
      address + length > uint64_t{MachineBios::kSegmentBase} + MachineBios::kSegmentSize) {
    return win32_error::kInvalidParameter;
  }
  if (out_size < length) return win32_error::kInsufficientBuffer;
  std::memcpy(out, bios_.segment().data() + (address - MachineBios::kSegmentBase), length);
  *returned = length;
  return 0;
}

uint32_t NtDriver::ReadCmos(const uint8_t* in, uint32_t in_size, uint8_t* out,
                            uint32_t out_size, uint32_t* returned) {
  if (in_size != 8) return win32_error::kInvalidParameter;
  const uint32_t first = Get32(in);
  const uint32_t count = Get32(in + 4);
  if (uint64_t{first} + count > CmosMemory::kSize) return win32_error::kInvalidParameter;
  if (out_size < count) return win32_error::kInsufficientBuffer;
  if (const uint32_t error = cmos_.Read(first, count, out)) return error;
  *returned = count;
  return 0;
}

uint32_t NtDriver::WriteCmos(const uint8_t* in, uint32_t in_size) {
  if (in_size != 5) return win32_error::kInvalidParameter;
  const uint32_t index = Get32(in);
  if (index >= CmosMemory::kSize) return win32_error::kInvalidParameter;
  return cmos_.Write(index, in[4]);
}

uint32_t NtDriver::CallBios(const uint8_t* in, uint32_t in_size, uint8_t* out,
                            uint32_t out_size, uint32_t* returned) {
  if (in_size != kBlockSize && in_size != kBlockSize + kDataSize) {
    return win32_error::kInvalidParameter;
  }
  if (out_size < in_size) return win32_error::kInsufficientBuffer;
  // A caller may pass one block as input and output: the answer is built
  // apart and copied back.
  uint8_t block[kBlockSize + kDataSize];
  std::memcpy(block, in, in_size);
  bool done = false;
  if (block[kAh] == kBiosFunction) {
    if (block[kAl] == kSetLanguage) {
      if (const uint32_t error = cmos_.Write(CmosMemory::kLanguageIndex, block[kBl])) return error;
      done = true;
    } else if (block[kAl] == kIdentification && in_size == kBlockSize + kDataSize) {
      const std::string& text = bios_.id_text();
      block[kTextLength] = static_cast<uint8_t>(text.size());
      std::memcpy(&block[kText], text.data(), text.size());
      done = true;
    }
  }
  const uint32_t flags = Get32(&block[kFlags]);
  Put32(&block[kFlags], done ? flags & ~1u : flags | 1u);
  block[kAh] = done ? 0 : kUnsupported;
  std::memcpy(out, block, in_size);
  *returned = in_size;
  return 0;
}

}  // namespace velsetup::host
