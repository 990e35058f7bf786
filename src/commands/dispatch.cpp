#include "commands/dispatch.h"

#include <array>

#include "commands/branch_commands.h"
#include "commands/copy_commands.h"
#include "commands/delete_commands.h"
#include "commands/flow_control.h"
#include "commands/ini_commands.h"
#include "commands/message_commands.h"
#include "commands/process_commands.h"
#include "commands/registry_commands.h"
#include "commands/startup_link_commands.h"
#include "engine/command_table.h"

namespace velsetup {

namespace {

// One registration per command; numbers without one are reported by the
// loop as not defined.
std::array<CommandEntry, kCommandCount> BuildTable() {
  std::array<CommandEntry, kCommandCount> table{};
  table[0] = {Cmd00_EndOfSection, true, true, false};
  table[1] = {Cmd01_Copy_Lnk2StartF_W2000, false, false, false};
  table[2] = {Cmd02_DEL_LnkInStartF_W2000, false, false, false};
  table[3] = {Cmd03_04_12_SingleRegValue, false, false, false};
  table[4] = {Cmd03_04_12_SingleRegValue, false, false, false};
  table[5] = {Cmd05_IncRunningCounter, false, false, true};
  table[6] = {Cmd06_DecCmdIndex, false, false, true};
  table[7] = {Cmd07_IncCmdIndex, false, false, true};
  table[8] = {Cmd08_ResetCmdIndex, true, true, false};
  table[9] = {Cmd09_BranchOnIsVelmor, false, false, false};
  table[10] = {Cmd10_Exit, false, true, false};
  table[11] = {Cmd11_SpawnProgram, false, false, false};
  table[12] = {Cmd03_04_12_SingleRegValue, false, false, false};
  table[13] = {Cmd13_Sleep, false, false, false};
  table[14] = {Cmd14_MultiRegEdit, false, false, false};
  table[15] = {Cmd15_CopyFile, false, false, false};
  table[16] = {Cmd16_DeleteFileOrDir, false, false, false};
  table[17] = {Cmd17_DisplayMessageBox, false, false, false};
  table[18] = {Cmd18_BranchOnOS, false, false, false};
  table[19] = {Cmd19_JumpToNextSection, false, false, false};
  table[20] = {Cmd20_ExitRebootSystem, false, true, false};
  table[21] = {Cmd21_MakeDir, false, false, false};
  table[25] = {Cmd25_BranchOnSystemID, false, false, false};
  table[26] = {Cmd26_SetValue, false, false, false};
  table[27] = {Cmd27_SetVariable, false, false, false};
  table[28] = {Cmd28_AppendINIFile, false, false, false};
  table[29] = {Cmd29_ExitAndDeleteINIFile, true, true, false};
  table[30] = {Cmd30_BranchOnPowerManagement, false, false, false};
  table[31] = {Cmd31_RenameFile, false, false, false};
  table[32] = {Cmd32_LogMsg, false, false, false};
  for (uint32_t number : {22u, 23u, 24u, 33u, 34u, 35u}) {
    table[number] = {CmdNotSupported, false, false, false};
  }
  return table;
}

}  // namespace

const CommandEntry& FindCommand(uint32_t number) {
  static const std::array<CommandEntry, kCommandCount> table = BuildTable();
  static const CommandEntry none{};
  return number < kCommandCount ? table[number] : none;
}

}  // namespace velsetup
