#include "commands/flow_control.h"

#include <string>

#include "commands/delete_commands.h"
#include "engine/command_section.h"
#include "engine/script_keys.h"
#include "engine/install_log.h"
#include "engine/run_state.h"
#include "engine/script_file.h"
#include "engine/text_format.h"

namespace velsetup {

namespace {

void StoreCurrentCmd() {
  WriteScriptString(script_key::kCommands, script_key::kCurrentCmd,
                    std::to_string(Run().current_cmd_index).c_str());
  FlushScript();
}

}  // namespace

uint32_t Cmd00_EndOfSection() {
  RunState& run = Run();
  run.current_section_name =
      ReadScriptString(script_key::kState, script_key::kCurrentSection, "", capacity::kSectionName);
  run.next_section_name =
      ReadScriptString(script_key::kState, script_key::kNextSection, "", capacity::kSectionName);
  // A switch that InitCommandSection declines (a script that brings its own
  // [State] but has no slot 0) would leave this CMD00 in its slot for ever:
  // only a section actually started runs on.
  const bool more = !EqualsIgnoreCase(run.current_section_name, run.next_section_name) &&
                    !run.next_section_name.empty() &&
                    InitCommandSection() == SectionStart::kStarted;
  if (more) return 0;
  WriteLog("No More commands", "");
  return 1;
}

uint32_t Cmd05_IncRunningCounter() {
  const int32_t count = ReadScriptInt(script_key::kData, script_key::kRunCount, 0);
  WriteScriptString(script_key::kData, script_key::kRunCount,
                    std::to_string(static_cast<int64_t>(count) + 1).c_str());
  return 0;
}

namespace {

// CMD06 and CMD07: move the index by the count in [DATA] `count_key` when it
// is 1 or more (the loop then adds its own 1), and log the outcome.
uint32_t MoveCmdIndex(uint32_t number, const char* count_key, int64_t step_extra,
                      const char* moved, const char* refused) {
  RunState& run = Run();
  const int32_t n = ReadScriptInt(script_key::kData, count_key, 0);
  const int64_t sign = number == 6 ? -1 : 1;
  std::string outcome;
  if (n >= 1) {
    run.current_cmd_index =
        static_cast<int32_t>(static_cast<int64_t>(run.current_cmd_index) + sign * n + step_extra);
    StoreCurrentCmd();
    outcome = Format(moved, n);
  } else {
    outcome = Format(refused, n);
  }
  WriteLog(Format("CMD%d=%d", run.current_cmd_index, static_cast<int>(number)), outcome);
  return 0;
}

}  // namespace

uint32_t Cmd06_DecCmdIndex() {
  return MoveCmdIndex(6, script_key::kDecCommand, -1, "Decrement the CurrentCmd by %d",
                      "ERROR cannot decrement the CurrentCmd by %d");
}

uint32_t Cmd07_IncCmdIndex() {
  return MoveCmdIndex(7, script_key::kIncCommand, 0, "Increment CurrentCmd by %d",
                      "ERROR cannot increment the CurrentCmd by %d");
}

uint32_t Cmd08_ResetCmdIndex() {
  RunState& run = Run();
  run.current_cmd_index = -1;
  WriteScriptString(script_key::kCommands, script_key::kCurrentCmd, "-1");
  run.current_section_name = script_key::kCommandsList;
  WriteScriptString(script_key::kState, script_key::kCurrentSection, script_key::kCommandsList);
  WriteScriptString(script_key::kState, script_key::kNextSection, "");
  Profile().WritePrivateProfileSectionA(script_key::kCommands, nullptr, run.script_path.c_str());
  Profile().WritePrivateProfileSectionA(script_key::kState, nullptr, run.script_path.c_str());
  return 1;
}

uint32_t Cmd10_Exit() { return 1; }

uint32_t Cmd20_ExitRebootSystem() {
  RunState& run = Run();
  if (run.suppress_reboot) {
    WriteLog("Not setting to reboot system since SuppressReboot is set", "");
    run.reboot_requested = false;
  } else {
    WriteLog("Setting to reboot system...", "");
    run.reboot_requested = true;
  }
  return 1;
}

uint32_t Cmd29_ExitAndDeleteINIFile() {
  RunState& run = Run();
  WriteLog("", "attempting to delete files....");
  Cmd16_DeleteFileOrDir();
  const std::string restart =
      ReadScriptString(script_key::kCommands, CmdSectionKey(run.current_cmd_index, 2).c_str(),
                       "FALSE", 64);
  if (EqualsIgnoreCase(restart, "TRUE")) {
    if (run.suppress_reboot) {
      WriteLog("", "Not setting to reboot system since SuppressReboot is set");
      run.reboot_requested = false;
    } else {
      run.reboot_requested = true;
      WriteLog("", "will issue a system reboot.");
    }
  } else {
    WriteLog("", "will NOT issue a system reboot.");
  }
  WriteLog("will delete :", run.script_path);
  // Nothing is stored after this: the working copy stays deleted, and the
  // next start copies the script again.
  Files().DeleteFileA(run.script_path.c_str());
  return 1;
}

}  // namespace velsetup
