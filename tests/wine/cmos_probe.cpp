// Runs the CMOS driver table on the real machine the way one branch command
// of the tool uses it, with the install log on:
//
//   cmos_probe <install log>
//
// The driver is chosen and its file put in place, the device opened (and on
// success the maker signature read and the device closed again), and the
// file removed. Every step logs as in the tool.
#include <windows.h>

#include <string>

#include "cmos/cmos_driver.h"
#include "engine/install_log.h"
#include "engine/run_state.h"
#include "platform/win32/win32_platform.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  velsetup::win32::Win32Platform machine;
  velsetup::StartRun(machine.platform());
  velsetup::RunState& run = velsetup::Run();
  run.log_path = argv[1];
  run.logging_enabled = true;
  run.module_name = "velsetup.exe";

  velsetup::SelectCmosDriver();
  velsetup::Cmos().LoadDriver();
  if (velsetup::Cmos().OpenVDD() == 0) {
    std::string signature;
    velsetup::Cmos().GetVelmorString(&signature);
    velsetup::WriteLogText("cmos_probe - signature >" + signature + "<");
    velsetup::Cmos().CloseVDD();
  }
  velsetup::Cmos().DeleteDriver();
  return 0;
}
