// Host failures expressed as the Win32 error a Windows call would leave.
#pragma once

#include <cstdint>

namespace velsetup::host {

uint32_t Win32ErrorFromErrno(int error_number);

}  // namespace velsetup::host
