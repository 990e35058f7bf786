#include "program/velsetup_main.h"

#include "cmos/cmos_driver.h"
#include "commands/command_table.h"

namespace velsetup {

namespace {

void LoadCmosDriver() {
  SelectCmosDriver();
  Cmos().LoadDriver();
}

void DeleteCmosDriver() { Cmos().DeleteDriver(); }

}  // namespace

ToolParts StandardParts() {
  ToolParts parts;
  parts.commands = Commands();
  parts.load_cmos_driver = LoadCmosDriver;
  parts.delete_cmos_driver = DeleteCmosDriver;
  return parts;
}

int VelsetupMain(const Platform& platform, const std::string& command_line,
                 RunObserver* observer) {
  return RunTool(platform, StandardParts(), command_line, observer);
}

}  // namespace velsetup
