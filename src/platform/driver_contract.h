// What the maker's two CMOS drivers answer, fixed between the tool and any
// driver put in their place (the simulated machine's among them): device
// names, control codes and the BIOS functions a register block carries.
#pragma once

#include <cstdint>

namespace velsetup::cmos_contract {

constexpr uint8_t kBiosFunction = 0xE8;  // AH of every interrupt 15h call
constexpr uint8_t kReadWriteCmos = 0x23;
constexpr uint8_t kIdentification = 0x19;
constexpr uint32_t kCarryFlag = 0x1;     // set in the returned flags: the call failed
constexpr uint16_t kBiosSegment = 0xF000;
constexpr uint32_t kSignatureOffset = 0xFFEA;  // the maker's 6 bytes in that segment

// The Windows 9x driver, a virtual device driver in the system directory.
namespace win9x {
constexpr const char* kDevice = "\\\\.\\HWAINT15.VXD";
constexpr const char* kDriverFile = "HWAInt15.VxD";
constexpr uint32_t kCallBios = 1;    // 52-byte register block in and out
constexpr uint32_t kMapSegment = 2;  // real-mode segment in, 32-bit address out
constexpr uint32_t kSystemId = 4;    // 16-bit system ID out
constexpr uint8_t kSetLanguage = 0x05;
}  // namespace win9x

// The NT driver, a kernel driver started as a service.
namespace nt {
constexpr const char* kDevice = "\\\\.\\HWAMgmt12";
constexpr const char* kServiceName = "HWAMgmt12";
constexpr uint32_t kReadMemory = 0x80002000;  // {physical address, length} in
constexpr uint32_t kSystemId = 0x80002008;    // exactly 2 bytes out
constexpr uint32_t kReadCmos = 0x80002028;    // {first index, count} in
constexpr uint32_t kCallBios = 0x80002058;    // 40-byte block, or 58 with its data area
constexpr uint32_t kWriteCmos = 0x8000205C;   // {index, value byte} in
constexpr uint8_t kSetLanguage = 0x00;
}  // namespace nt

}  // namespace velsetup::cmos_contract
