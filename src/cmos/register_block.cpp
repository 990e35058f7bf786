#include "cmos/register_block.h"

namespace velsetup::cmos {

namespace {

void PutWord(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetWord(const uint8_t* at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | at[i];
  return value;
}

}  // namespace

void Block9x::Put(size_t offset, uint32_t value) { PutWord(&bytes[offset], value); }
uint32_t Block9x::Get(size_t offset) const { return GetWord(&bytes[offset]); }
void BlockNt::Put(size_t offset, uint32_t value) { PutWord(&bytes[offset], value); }
uint32_t BlockNt::Get(size_t offset) const { return GetWord(&bytes[offset]); }

std::array<uint8_t, 8> TwoWords(uint32_t first, uint32_t second) {
  std::array<uint8_t, 8> words{};
  PutWord(&words[0], first);
  PutWord(&words[4], second);
  return words;
}

}  // namespace velsetup::cmos
