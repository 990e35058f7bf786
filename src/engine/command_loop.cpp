#include "engine/command_loop.h"

#include <string>

#include "engine/command_section.h"
#include "engine/install_log.h"
#include "engine/run_observer.h"
#include "engine/run_state.h"
#include "engine/script_file.h"
#include "engine/script_keys.h"
#include "engine/startup.h"
#include "engine/text_cleaning.h"
#include "engine/text_format.h"
#include "engine/platform_queries.h"

namespace velsetup {

namespace {

constexpr uint32_t kRebootFlag = 2;  // EWX_REBOOT, not forced
constexpr const char* kDescriptionSection = "Description";
constexpr const char* kLanguageKey = "VelmorLanguage";

// The name the per-command line shows for a number no command has.
constexpr const char* kUndefinedName = "(not defined)";

void ShowSectionErrorBox() {
  const std::string title = Format("Velmor Setup Utility - %s", Run().module_name.c_str());
  Ui().MessageBoxA("Cannot initialize commands section...check log file...", title.c_str(),
                   message_box::kOk | message_box::kIconStop | message_box::kSystemModal);
}

// The language code of the description file; false when its value is empty.
bool ReadLanguage() {
  const std::string code = ReadProfileString(kDescriptionFile, kDescriptionSection, kLanguageKey,
                                             "XX", capacity::kField);
  if (code.empty()) {
    WriteLog("ERROR - ", "Cannont find RIX.INI");
    return false;
  }
  Run().language_data_section = Format("%s.%s", "Data", StripCommentsAndEtc(code).c_str());
  return true;
}

void StoreCurrentCmd() {
  WriteScriptString(script_key::kCommands, script_key::kCurrentCmd,
                    std::to_string(Run().current_cmd_index).c_str());
  FlushScript();
}

// Runs the slot at the current index; true when the run ends with it.
bool RunOneCommand(const CommandTable& commands) {
  RunState& run = Run();
  const int32_t slot = run.current_cmd_index;
  run.current_cmd_number =
      static_cast<uint32_t>(ReadScriptInt(script_key::kCommands, CmdKey(slot).c_str(), 0));
  run.cmd_param0 = ReadScriptString(script_key::kCommands, CmdSectionKey(slot, 0).c_str(), "",
                                    capacity::kParam0);
  const uint32_t number = run.current_cmd_number;
  if (run.observer != nullptr) run.observer->CommandStarting(slot, number, run.current_section_name);
  if (number != 0) {
    const std::string full = ReadScriptString(script_key::kCommands,
                                              FullCmdSectionKey(slot).c_str(), "", capacity::kPath);
    const CommandFacts* known = commands.Find(number);
    WriteLog(Format("CMD%d> %s: %d%s", slot, known != nullptr ? known->name : kUndefinedName,
                    static_cast<int32_t>(number), full.c_str()),
             "");
  }

  const CommandFacts* command = commands.Find(number);
  bool done = false;
  if (command == nullptr) {
    WriteLog("NOTICE: ", Format("CMD >%d< not defined", static_cast<int32_t>(number)));
  } else {
    if (command->param0_is_data) run.cmd_param0 = script_key::kData;
    const uint32_t result = command->handler();
    done = command->result_ends_run() && result != 0;
  }
  if (command == nullptr || command->after == AfterCommand::kNextSlot) {
    run.current_cmd_index = static_cast<int32_t>(static_cast<int64_t>(run.current_cmd_index) + 1);
    StoreCurrentCmd();
  }
  return done;
}

void EndRun(const ToolParts& parts) {
  parts.delete_cmos_driver();
  if (Run().reboot_requested) {
    WriteLog("DONE", " Shutting down system.");
    System().ExitWindowsEx(kRebootFlag, 0);
  } else {
    WriteLog("DONE", "!");
  }
}

}  // namespace

int RunScript(const ToolParts& parts) {
  RunState& run = Run();
  // A start that finds a switch pending (a branch, then a restart before the
  // section ended) expands the new section at the stored index, where the
  // loop will resume, so that its first command is the next one to run.
  CompleteInterruptedStart();
  run.current_cmd_index = ReadScriptInt(script_key::kCommands, script_key::kCurrentCmd, 0);
  if (InitCommandSection() == SectionStart::kFailed) {
    WriteLog("ERROR - ", "Cannot initialize commands section");
    if (!run.silent_mode) ShowSectionErrorBox();
    return 0;
  }
  EnablePrivileges();
  parts.load_cmos_driver();
  if (!ReadLanguage()) return 0;

  run.current_cmd_index = ReadScriptInt(script_key::kCommands, script_key::kCurrentCmd, 0);
  while (!RunOneCommand(parts.commands)) {
  }
  EndRun(parts);
  return 0;
}

}  // namespace velsetup
