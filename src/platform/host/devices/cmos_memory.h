// The 128 CMOS bytes of the simulated machine, kept in cmos.bin of the
// machine directory so that they outlive the run, as battery-backed CMOS
// outlives a restart. The file is read at every access, so an edit between
// two calls is seen, and every write is on disk before the call returns.
#pragma once

#include <cstdint>
#include <string>

namespace velsetup::host {

class CmosMemory {
 public:
  static constexpr uint32_t kSize = 128;
  // Where the BIOS keeps the language code it is given: past the standard
  // clock, status, checksummed configuration (16-45), checksum (46-47),
  // extended memory (48-49) and century (50) bytes, so that setting it
  // leaves the checksum valid.
  static constexpr uint32_t kLanguageIndex = 0x60;

  explicit CmosMemory(std::string path) : path_(std::move(path)) {}

  // Bytes first .. first + count - 1, which must lie within the 128; a
  // missing or short file reads as zero bytes. 0 or the Win32 error.
  uint32_t Read(uint32_t first, uint32_t count, uint8_t* bytes) const;
  // 0 once the byte is on disk, or the Win32 error.
  uint32_t Write(uint32_t index, uint8_t value);

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace velsetup::host
