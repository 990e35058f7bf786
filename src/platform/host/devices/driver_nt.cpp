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
constexpr size_t kAl = 0, kAh = 1, kBl = 4, kFlags = 28, kTextLength = 40, kText = 41;

}  // namespace

uint32_t NtDriver::Control(uint32_t code, DeviceRequest& request) {
  request.returned = 0;
  switch (code) {
    case kReadMemory: return ReadMemory(request);
    case kSystemId: return AnswerSystemId(bios_, request);
    case kReadCmos: return ReadCmos(request);
    case kWriteCmos: return WriteCmos(request);
    case kCallBios: return CallBios(request);
    default: return win32_error::kInvalidFunction;
  }
}

uint32_t NtDriver::ReadMemory(DeviceRequest& request) {
  if (request.in_size != 8) return win32_error::kInvalidParameter;
  const uint64_t address = Get32(request.in);
  const uint32_t length = Get32(request.in + 4);
  // The driver maps nothing but the BIOS segment.
  if (address < MachineBios::kSegmentBase ||
      address + length > uint64_t{MachineBios::kSegmentBase} + MachineBios::kSegmentSize) {
    return win32_error::kInvalidParameter;
  }
  if (request.out_size < length) return win32_error::kInsufficientBuffer;
  std::memcpy(request.out, bios_.segment().data() + (address - MachineBios::kSegmentBase),
              length);
  request.returned = length;
  return 0;
}

uint32_t NtDriver::ReadCmos(DeviceRequest& request) {
  if (request.in_size != 8) return win32_error::kInvalidParameter;
  const uint32_t first = Get32(request.in);
  const uint32_t count = Get32(request.in + 4);
  if (uint64_t{first} + count > CmosMemory::kSize) return win32_error::kInvalidParameter;
  if (request.out_size < count) return win32_error::kInsufficientBuffer;
  if (const uint32_t error = cmos_.Read(first, count, request.out)) return error;
  request.returned = count;
  return 0;
}

uint32_t NtDriver::WriteCmos(const DeviceRequest& request) {
  if (request.in_size != 5) return win32_error::kInvalidParameter;
  const uint32_t index = Get32(request.in);
  if (index >= CmosMemory::kSize) return win32_error::kInvalidParameter;
  return cmos_.Write(index, request.in[4]);
}

uint32_t NtDriver::CallBios(DeviceRequest& request) {
  const uint32_t size = request.in_size;
  if (size != kBlockSize && size != kBlockSize + kDataSize) return win32_error::kInvalidParameter;
  if (request.out_size < size) return win32_error::kInsufficientBuffer;
  // A caller may pass one block as input and output: the answer is built
  // apart and copied back.
  uint8_t block[kBlockSize + kDataSize];
  std::memcpy(block, request.in, size);
  bool done = false;
  if (block[kAh] == kBiosFunction) {
    if (block[kAl] == kSetLanguage) {
      if (const uint32_t error = cmos_.Write(CmosMemory::kLanguageIndex, block[kBl])) return error;
      done = true;
    } else if (block[kAl] == kIdentification && size == kBlockSize + kDataSize) {
      const std::string& text = bios_.id_text();
      block[kTextLength] = static_cast<uint8_t>(text.size());
      std::memcpy(&block[kText], text.data(), text.size());
      done = true;
    }
  }
  EndBiosCall(block, kAh, kFlags, done);
  std::memcpy(request.out, block, size);
  request.returned = size;
  return 0;
}

}  // namespace velsetup::host
