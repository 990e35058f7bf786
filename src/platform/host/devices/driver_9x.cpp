#include "platform/host/devices/driver_9x.h"

#include <cstring>

#include "platform/host/devices/little_endian.h"
#include "platform/driver_contract.h"
#include "platform/platform.h"

namespace velsetup::host {

namespace {

using namespace cmos_contract::win9x;
using cmos_contract::kBiosFunction;
using cmos_contract::kBiosSegment;
using cmos_contract::kIdentification;
using cmos_contract::kReadWriteCmos;

constexpr size_t kAl = 0, kAh = 1, kBl = 4, kBh = 5, kCx = 8, kFlags = 32, kBuffer = 36,
                 kBufferSize = 40;

}  // namespace

bool Win9xDriver::Load() {
  if (segment_ != nullptr) return true;
  segment_ = memory_.Allocate(MachineBios::kSegmentSize);
  if (segment_ == nullptr) return false;
  std::memcpy(segment_, bios_.segment().data(), MachineBios::kSegmentSize);
  return true;
}

uint32_t Win9xDriver::Control(uint32_t code, DeviceRequest& request) {
  request.returned = 0;
  switch (code) {
    case kCallBios: return CallBios(request);
    case kMapSegment: return MapSegment(request);
    case kSystemId: return AnswerSystemId(bios_, request);
    default: return win32_error::kInvalidFunction;
  }
}

uint32_t Win9xDriver::CallBios(DeviceRequest& request) {
  if (request.in_size != kBlockSize) return win32_error::kInvalidParameter;
  if (request.out_size < kBlockSize) return win32_error::kInsufficientBuffer;
  // The registers come back as they went in but for what the call sets;
  // the copy also lets a caller use one block both ways.
  uint8_t block[kBlockSize];
  std::memcpy(block, request.in, kBlockSize);
  const uint16_t cx = Get16(&block[kCx]);
  bool done = false;
  if (block[kAh] == kBiosFunction) {
    switch (block[kAl]) {
      case kReadWriteCmos:
        if (cx < CmosMemory::kSize && block[kBh] == 0) {
          if (const uint32_t error = cmos_.Read(cx, 1, &block[kAl])) return error;
          done = true;
        } else if (cx < CmosMemory::kSize && block[kBh] == 1) {
          if (const uint32_t error = cmos_.Write(cx, block[kBl])) return error;
          done = true;
        }
        break;
      case kSetLanguage:
        if (const uint32_t error = cmos_.Write(CmosMemory::kLanguageIndex, block[kBl])) {
          return error;
        }
        done = true;
        break;
      case kIdentification: {
        const uint32_t address = Get32(&block[kBuffer]);
        const uint32_t size = Get32(&block[kBufferSize]);
        const std::string& text = bios_.id_text();
        // The driver writes where the caller points: only into memory that
        // was handed out for it, never at a stray address.
        if (!memory_.Holds(address, size)) return win32_error::kNoAccess;
        if (size < 1 + text.size()) return win32_error::kInsufficientBuffer;
        uint8_t* buffer = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(address));
        buffer[0] = static_cast<uint8_t>(text.size());
        std::memcpy(buffer + 1, text.data(), text.size());
        done = true;
        break;
      }
      default:
        break;
    }
  }
  EndBiosCall(block, kAh, kFlags, done);
  std::memcpy(request.out, block, kBlockSize);
  request.returned = kBlockSize;
  return 0;
}

uint32_t Win9xDriver::MapSegment(DeviceRequest& request) {
  if (request.in_size != 2 || Get16(request.in) != kBiosSegment) {
    return win32_error::kInvalidParameter;
  }
  if (request.out_size < 4) return win32_error::kInsufficientBuffer;
  if (!Load()) return win32_error::kNotEnoughMemory;
  Put32(request.out, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(segment_)));
  request.returned = 4;
  return 0;
}

}  // namespace velsetup::host
