// The kit the crash and fault scenarios run on Windows 2000: the script in
// C:\KIT logging beside it, and the working copy the run makes of it. A
// namespace of their own keeps them apart from the other kits' names.
#pragma once

#include <string>

namespace velsetup::testing::fault_kit {

inline const std::string kScript = "C:\\KIT\\SETUP.INI";
inline const std::string kLog = "C:\\KIT\\setup.log";
inline const std::string kWorkingCopy = "C:\\WINNT\\TEMP\\SETUP.INI";

}  // namespace velsetup::testing::fault_kit
