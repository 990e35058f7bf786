// The CMOS checksum the BIOS keeps: the plain sum of bytes 16 to 45, stored
// high byte first at 46 and 47.
#pragma once

#include <cstdint>

namespace velsetup::cmos {

constexpr uint32_t kChecksumFirst = 16;
constexpr uint32_t kChecksumCount = 30;
constexpr uint32_t kChecksumHigh = 46;
constexpr uint32_t kChecksumLow = 47;

inline uint16_t CmosChecksum(const uint8_t (&range)[kChecksumCount]) {
  uint16_t sum = 0;
  for (uint8_t byte : range) sum = static_cast<uint16_t>(sum + byte);
  return sum;
}

}  // namespace velsetup::cmos
