#include "engine/script_keys.h"

#include "engine/text_format.h"

namespace velsetup {

std::string CmdKey(int32_t slot) { return Format("Cmd%d", slot); }
std::string FullCmdSectionKey(int32_t slot) { return Format("FullCmdSection%d", slot); }
std::string CmdSectionKey(int32_t slot, int32_t field) {
  return Format("CmdSection%d.%d", slot, field);
}

}  // namespace velsetup
