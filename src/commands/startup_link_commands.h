// Commands that place a link in the common Startup folder and remove one.
#pragma once

#include <cstdint>

namespace velsetup {

uint32_t Cmd01_Copy_Lnk2StartF_W2000();
uint32_t Cmd02_DEL_LnkInStartF_W2000();

}  // namespace velsetup
