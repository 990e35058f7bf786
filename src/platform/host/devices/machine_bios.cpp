#include "platform/host/devices/machine_bios.h"

namespace velsetup::host {

MachineBios::MachineBios(const MachineConfig& config)
    : segment_(kSegmentSize, 0),
      system_id_(config.bios_system_id),
      id_text_(config.bios_id_string.substr(0, kMaxIdText)) {
  const std::string& signature = config.bios_signature;
  for (size_t i = 0; i < kSignatureSize && i < signature.size(); ++i) {
    segment_[kSignatureOffset + i] = static_cast<uint8_t>(signature[i]);
  }
}

}  // namespace velsetup::host
