// The one last-error slot of the simulated machine. Every host area writes its
// failures here and GetLastError reads them back, as the thread's slot works on
// Windows (the tool is single-threaded, so one slot is the thread's slot).
#pragma once

#include <cstdint>

namespace velsetup::host {

struct LastError {
  uint32_t code = 0;
};

}  // namespace velsetup::host
