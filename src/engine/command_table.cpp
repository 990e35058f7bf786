#include "engine/command_table.h"

#include "engine/text_format.h"

namespace velsetup {

namespace {
// Each name fits the 50-character field the log line takes it from.
constexpr const char* kCommandNames[kCommandCount] = {
    "CMD00",
    "CMD01_Copy_Lnk2StartF_W2000",
    "CMD02_DEL_LnkInStartF_W2000",
    "CMD03_Add single Reg Value",
    "CMD04_Remove single Reg Value",
    "CMD05_IncRunningCounter",
    "CMD06_DecCmdIndex",
    "CMD07_IncCmdIndex",
    "CMD08_ResetCmdIndex",
    "CMD09_BranchOnIsVelmor",
    "CMD10_Exit",
    "CMD11_SpawnProgram",
    "CMD12_RemoveSingleRegKey",
    "CMD13_Sleep",
    "CMD14_MultiRegEdit",
    "CMD15_CopyFile",
    "CMD16_DeleteFileOrDir",
    "CMD17_DisplayMessageBox",
    "CMD18_BranchOnOS",
    "CMD19_JumpToNextSection",
    "CMD20_ExitRebootSystem",
    "CMD21_MakeDir",
    "CMD22_DisplayWindow",
    "CMD23_MergeINIFile",
    "CMD24_ControlOsShutdown",
    "CMD25_BranchOnSystemID",
    "CMD26_SetValue",
    "CMD27_SetVariable",
    "CMD28_AppendINIFile",
    "CMD29_ExitAndDeleteINIFile",
    "CMD30_BranchOnPowerManagement",
    "CMD31_RenameFile",
    "CMD32_LogMsg",
    "CMD33_",
    "CMD34_",
    "CMD35_",
};
}  // namespace

const char* CommandName(uint32_t number) {
  return number < kCommandCount ? kCommandNames[number] : nullptr;
}

std::string CmdKey(int32_t slot) { return Format("Cmd%d", slot); }
std::string FullCmdSectionKey(int32_t slot) { return Format("FullCmdSection%d", slot); }
std::string CmdSectionKey(int32_t slot, int32_t field) {
  return Format("CmdSection%d.%d", slot, field);
}

}  // namespace velsetup
