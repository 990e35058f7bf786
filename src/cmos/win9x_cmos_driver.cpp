#include "cmos/win9x_cmos_driver.h"

#include <cstring>

#include "cmos/checksum.h"
#include "cmos/driver_file.h"
#include "engine/install_log.h"
#include "engine/run_state.h"
#include "engine/text_format.h"

namespace velsetup::cmos {

namespace {

using cmos_contract::kBiosSegment;
using cmos_contract::kSignatureOffset;
using namespace cmos_contract::win9x;
constexpr uint32_t kIdBufferSize = 17;

const DriverFile kFile = {
    "HWAInt15.VxD",
    "HWAInt15.VxD",
    "LoadHWAInt15 - GetSystemDirectory() returned with Error=%d, %s",
    "LoadHWAInt15 - CopyFile(%s, %s, FALSE) returned with Error=%d, %s",
    "LoadHWAInt15 - HWAInt15.VxD load Successful",
    "DelHWAInt15 - DeleteFile(%s) returned with Error=%d, %s",
    "DelHWAInt15 - HWAINT15.VXD delete was successful",
};

bool Refused(const Block9x& out) { return (out.flags() & kCarryFlag) != 0 && out.ah() != 0; }

}  // namespace

Win9xCmosDriver::Win9xCmosDriver() : InstalledCmosDriver(kFile) {}

uint32_t Win9xCmosDriver::OpenVDD() {
  if (device_ != kInvalidDevice) return 0;
  device_ = Devices().OpenDevice(kDevice);
  if (device_ == kInvalidDevice) {
    const int code = static_cast<int>(System().GetLastError());
    const std::string detail = "OpenHWAInt15 - CreateFile(HWAInt15.VxD) returned with " + LastErrorPart();
    WriteLevelLog(detail, Format("Can't get a handle to HWAInt15.VxD driver  Error = %d", code), 2);
    return 1;
  }
  WriteLogText("OpenHWAInt15() - HWAInt15.VxD driver loaded successfully");
  return 0;
}

void Win9xCmosDriver::CloseVDD() {
  Devices().CloseDevice(device_);
  device_ = kInvalidDevice;
  WriteLogText("CloseHWAInt15() - HWAInt15.VxD driver has been closed.");
}

bool Win9xCmosDriver::Call(const Block9x& in, Block9x* out) {
  uint32_t returned = 0;
  return Devices().DeviceIoControl(device_, kCallBios, in.bytes.data(), Block9x::kSize,
                                   out->bytes.data(), Block9x::kSize, &returned);
}

uint32_t Win9xCmosDriver::ReadCMOS(uint32_t index, uint8_t* value) {
  Block9x in, out;
  in.SetAx(kReadWriteCmos, kBiosFunction);
  in.SetBx(0, 0);
  in.SetCx(static_cast<uint16_t>(index));
  if (!Call(in, &out) || Refused(out)) {
    *value = 0;
    LogAtLevel(0, "ReadCMOS95 - DeviceIoControl returned with " + LastErrorPart());
    return 1;
  }
  *value = out.al();
  return 0;
}

void Win9xCmosDriver::WriteCMOS(uint32_t index, uint8_t value) {
  Block9x in, out;
  in.SetAx(kReadWriteCmos, kBiosFunction);
  in.SetBx(value, 1);
  in.SetCx(static_cast<uint16_t>(index));
  if (!Call(in, &out) || Refused(out)) {
    LogAtLevel(0, "WriteCMOS95 - DeviceIoControl returned with " + LastErrorPart());
  }
}

void Win9xCmosDriver::UpdateCMOSChecksum() {
  uint8_t range[kChecksumCount] = {};
  for (uint32_t i = 0; i < kChecksumCount; ++i) ReadCMOS(kChecksumFirst + i, &range[i]);
  const uint16_t sum = CmosChecksum(range);
  StoreChecksum(sum);
}

uint32_t Win9xCmosDriver::SetLangCodeInCMOS(uint8_t code) {
  Block9x in, out;
  in.SetAx(kSetLanguage9x, kBiosFunction);
  in.SetBx(code, 0);
  if (!Call(in, &out)) {
    LogAtLevel(0, "SetLangCodeInCMOS95 - DeviceIoControl returned with " + LastErrorPart());
  }
  return 0;
}

uint8_t Win9xCmosDriver::GetBiosString(std::string* text) {
  // The driver writes its answer where a 32-bit address in the block points.
  uint8_t* buffer = Devices().LowMemory(kIdBufferSize);
  if (buffer == nullptr) {
    LogAtLevel(0, "GetBiosString95 - no buffer below 4 GB for the driver's answer");
    return 0;
  }
  std::memset(buffer, 0, kIdBufferSize);
  Block9x in, out;
  in.SetAx(kIdentification, kBiosFunction);
  in.SetBuffer(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(buffer)), kIdBufferSize);
  if (Call(in, &out) && (out.flags() & kCarryFlag) == 0) {
    // A length byte above 16 would run past the 17-byte text: it is cut.
    const size_t length = buffer[0] < kIdBufferSize ? buffer[0] : kIdBufferSize - 1;
    text->assign(reinterpret_cast<const char*>(buffer + 1), length);
  }
  return out.ah();
}

uint32_t Win9xCmosDriver::GetVelmorString(std::string* text) {
  const uint8_t segment[2] = {static_cast<uint8_t>(kBiosSegment),
                              static_cast<uint8_t>(kBiosSegment >> 8)};
  uint8_t address_bytes[4] = {};
  uint32_t returned = 0;
  if (!Devices().DeviceIoControl(device_, kMapSegment, segment, sizeof segment, address_bytes,
                                 sizeof address_bytes, &returned)) {
    return 0;
  }
  const uint32_t address = static_cast<uint32_t>(address_bytes[0]) |
                           static_cast<uint32_t>(address_bytes[1]) << 8 |
                           static_cast<uint32_t>(address_bytes[2]) << 16 |
                           static_cast<uint32_t>(address_bytes[3]) << 24;
  // The driver maps the BIOS segment into this process at that address.
  char signature[6];
  std::memcpy(signature, reinterpret_cast<const void*>(uintptr_t{address} + kSignatureOffset),
              sizeof signature);
  text->assign(signature, strnlen(signature, sizeof signature));
  return 0;
}

uint16_t Win9xCmosDriver::GetSystemID() {
  uint8_t id[2] = {};
  uint32_t returned = 0;
  if (!Devices().DeviceIoControl(device_, kSystemId, nullptr, 0, id, sizeof id, &returned)) {
    return 0;
  }
  return static_cast<uint16_t>(id[0] | id[1] << 8);
}

}  // namespace velsetup::cmos
