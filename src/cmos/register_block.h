// The register blocks that carry one BIOS call (interrupt 15h, AH = 0xE8)
// to the maker's CMOS drivers, in the byte layout each driver takes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/driver_contract.h"

namespace velsetup::cmos {

using cmos_contract::kBiosFunction;
using cmos_contract::kCarryFlag;
using cmos_contract::kIdentification;
using cmos_contract::kReadWriteCmos;
constexpr uint8_t kSetLanguage9x = cmos_contract::win9x::kSetLanguage;
constexpr uint8_t kSetLanguageNt = cmos_contract::nt::kSetLanguage;

// The Windows 9x driver's block: 13 little-endian 32-bit fields.
struct Block9x {
  static constexpr uint32_t kSize = 52;
  std::array<uint8_t, kSize> bytes{};

  void SetAx(uint8_t al, uint8_t ah) { bytes[0] = al, bytes[1] = ah; }
  void SetBx(uint8_t bl, uint8_t bh) { bytes[4] = bl, bytes[5] = bh; }
  void SetCx(uint16_t cx) { bytes[8] = static_cast<uint8_t>(cx), bytes[9] = static_cast<uint8_t>(cx >> 8); }
  void SetBuffer(uint32_t address, uint32_t size) { Put(36, address), Put(40, size); }
  uint8_t al() const { return bytes[0]; }
  uint8_t ah() const { return bytes[1]; }
  uint32_t flags() const { return Get(32); }

  void Put(size_t offset, uint32_t value);
  uint32_t Get(size_t offset) const;
};

// The NT driver's block: 10 little-endian 32-bit fields, then an optional
// data area of 18 bytes (the identification text: length byte and text).
struct BlockNt {
  static constexpr uint32_t kSize = 40;
  static constexpr uint32_t kDataSize = 18;
  static constexpr uint32_t kSizeWithData = kSize + kDataSize;
  std::array<uint8_t, kSizeWithData> bytes{};

  void SetAx(uint8_t al, uint8_t ah) { bytes[0] = al, bytes[1] = ah; }
  void SetBx(uint8_t bl, uint8_t bh) { bytes[4] = bl, bytes[5] = bh; }
  void DeclareDataArea() { Put(32, kDataSize), Put(36, kDataSize); }
  uint8_t ah() const { return bytes[1]; }
  uint32_t flags() const { return Get(28); }
  uint8_t text_length() const { return bytes[kSize]; }
  const uint8_t* text() const { return &bytes[kSize + 1]; }

  void Put(size_t offset, uint32_t value);
  uint32_t Get(size_t offset) const;
};

// Two 32-bit values in the driver's byte order, as the NT driver's inputs
// take them.
std::array<uint8_t, 8> TwoWords(uint32_t first, uint32_t second);

}  // namespace velsetup::cmos
