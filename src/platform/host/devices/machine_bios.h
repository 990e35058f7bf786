// The BIOS of the simulated machine as the maker's drivers read it, made from
// machine.ini [Bios]: the 64 KB segment F000 with the maker signature at
// F000:FFEA, the system ID, and the identification text of BIOS function
// 0x19.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/host/machine/machine_config.h"

namespace velsetup::host {

class MachineBios {
 public:
  static constexpr uint32_t kSegmentBase = 0xF0000;  // physical address of F000:0000
  static constexpr uint32_t kSegmentSize = 0x10000;
  static constexpr uint32_t kSignatureOffset = 0xFFEA;
  static constexpr uint32_t kSignatureSize = 6;
  static constexpr size_t kMaxIdText = 16;

  explicit MachineBios(const MachineConfig& config);

  // The segment's bytes: zero but for the signature, which is the
  // configured text cut or padded with zero bytes to 6. A machine of
  // another maker (an empty Signature) has six zero bytes there, which no
  // caller takes for the maker's name.
  const std::vector<uint8_t>& segment() const { return segment_; }
  uint16_t system_id() const { return system_id_; }
  // At most 16 characters, as the BIOS call returns them.
  const std::string& id_text() const { return id_text_; }

 private:
  std::vector<uint8_t> segment_;
  uint16_t system_id_;
  std::string id_text_;
};

}  // namespace velsetup::host
