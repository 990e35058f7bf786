#include "cmos/nt_cmos_driver.h"

#include <cstring>

#include "cmos/checksum.h"
#include "cmos/driver_file.h"
#include "cmos/register_block.h"
#include "engine/install_log.h"
#include "engine/run_state.h"
#include "engine/text_format.h"

namespace velsetup::cmos {

namespace {

using namespace cmos_contract::nt;
constexpr uint32_t kSignatureAddress =
    static_cast<uint32_t>(cmos_contract::kBiosSegment) * 16 + cmos_contract::kSignatureOffset;
constexpr uint32_t kSignatureSize = 6;
constexpr size_t kMaxIdText = 16;

const DriverFile kFile = {
    "HWAMGMT.SYS",
    "Drivers\\HWAMgmt.Sys",
    "LoadHWAMgmt - GetSystemDirectory() returned with Error=%d, %s",
    "LoadHWAmgmt - CopyFile(%s, %s, FALSE) returned with Error=%d, %s",
    "LoadHWAMGMT - HWAMGMT.SYS load Successful",
    "DelHWAMGMT - DeleteFile(%s) returned with Error=%d, %s",
    "DelHWAMGMT - HWAMGMT.SYS delete was successful",
};

}  // namespace

NtCmosDriver::NtCmosDriver() : InstalledCmosDriver(kFile) {}

uint32_t NtCmosDriver::OpenVDD() {
  if (device_ != kInvalidDevice) return 0;
  if (!InstalledPath(kFile.installed_name,
                     "OpenHWAMGMT - GetSystemDirectory) returned with Error=%d, %s",
                     &driver_path_)) {
    return 1;
  }
  device_ = service_.Connect(driver_path_);
  if (device_ == kInvalidDevice) {
    LogAtLevel(2, Format("OpenHWAMGMT - Failed for driver %s", driver_path_.c_str()));
    return 1;
  }
  WriteLogText("OpenHWAMGMT - HWAMGMT.SYS Successful");
  return 0;
}

void NtCmosDriver::CloseVDD() {
  if (device_ != kInvalidDevice) {
    Devices().CloseDevice(device_);
    device_ = kInvalidDevice;
  }
  service_.Release();
}

bool NtCmosDriver::Request(uint32_t code, const void* in, uint32_t in_size, void* out,
                           uint32_t out_size, uint32_t* returned) {
  uint32_t count = 0;
  const bool done = Devices().DeviceIoControl(device_, code, in, in_size, out, out_size, &count);
  if (returned != nullptr) *returned = count;
  return done;
}

uint32_t NtCmosDriver::ReadCMOS(uint32_t index, uint8_t* value) {
  const auto in = TwoWords(index, 1);
  if (!Request(kReadCmos, in.data(), in.size(), value, 1)) {
    LogAtLevel(0, "ReadCMOSNT - DeviceIoControl returned with " + LastErrorPart());
    return 1;
  }
  return 0;
}

void NtCmosDriver::WriteCMOS(uint32_t index, uint8_t value) {
  const auto words = TwoWords(index, 0);
  const uint8_t in[5] = {words[0], words[1], words[2], words[3], value};
  if (Request(kWriteCmos, in, sizeof in, nullptr, 0)) {
    WriteLogText("WriteCMOSNT - DeviceIoControl Successful");
  } else {
    LogAtLevel(0, "WriteCMOSNT - DeviceIoControl returned with " + LastErrorPart());
  }
}

void NtCmosDriver::UpdateCMOSChecksum() {
  const auto in = TwoWords(kChecksumFirst, kChecksumCount);
  uint8_t range[kChecksumCount] = {};
  if (!Request(kReadCmos, in.data(), in.size(), range, sizeof range)) {
    LogAtLevel(0, "VxD - FAILED to calculate checsum CMOS ");
    return;
  }
  WriteLogText("VxD - SUCCESSFULLY read CMOS checksum range\n");
  const uint16_t sum = CmosChecksum(range);
  WriteLogText(Format("VxD - Checksum calculated = %04x\n", sum));
  StoreChecksum(sum);
}

uint32_t NtCmosDriver::SetLangCodeInCMOS(uint8_t code) {
  BlockNt in, out;
  in.SetAx(kSetLanguageNt, kBiosFunction);
  in.SetBx(code, 0);
  if (!Request(kCallBios, in.bytes.data(), BlockNt::kSize, out.bytes.data(), BlockNt::kSize)) {
    LogAtLevel(0, "SetLangCodeInCMOSNT - DeviceIoControl returned with " + LastErrorPart());
  }
  return 0;
}

uint8_t NtCmosDriver::GetBiosString(std::string* text) {
  // One block serves as the question and the answer.
  BlockNt block;
  block.SetAx(kIdentification, kBiosFunction);
  block.DeclareDataArea();
  if (Request(kCallBios, block.bytes.data(), BlockNt::kSizeWithData, block.bytes.data(),
              BlockNt::kSizeWithData) &&
      (block.flags() & kCarryFlag) == 0) {
    // The data area holds at most 17 bytes of text after its length byte,
    // the caller's text 16: a longer length is cut.
    const size_t length = block.text_length() <= kMaxIdText ? block.text_length() : kMaxIdText;
    text->assign(reinterpret_cast<const char*>(block.text()), length);
  }
  return block.ah();
}

uint32_t NtCmosDriver::GetVelmorString(std::string* text) {
  const auto in = TwoWords(kSignatureAddress, kSignatureSize);
  char signature[kSignatureSize] = {};
  if (Request(kReadMemory, in.data(), in.size(), signature, sizeof signature)) {
    text->assign(signature, strnlen(signature, sizeof signature));
  }
  return 0;
}

uint16_t NtCmosDriver::GetSystemID() {
  uint8_t id[2] = {};
  uint32_t returned = 0;
  if (!Request(kSystemId, nullptr, 0, id, sizeof id, &returned) || returned != sizeof id) return 0;
  return static_cast<uint16_t>(id[0] | id[1] << 8);
}

}  // namespace velsetup::cmos
