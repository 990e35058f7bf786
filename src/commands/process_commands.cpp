#include "commands/process_commands.h"

#include <string>

#include "commands/command_params.h"
#include "engine/install_log.h"
#include "engine/run_state.h"
#include "engine/script_file.h"
#include "engine/text_format.h"
#include "services/text_helpers.h"

namespace velsetup {

namespace {

constexpr size_t kCommandLine = 260;  // 259 characters
constexpr size_t kWaitFlag = 32;      // 31 characters
constexpr uint32_t kWaitStepMs = 50;
constexpr uint32_t kAfterExitMs = 1000;

struct SpawnRequest {
  std::string command_line;
  std::string wait_flag;
};

SpawnRequest ReadRequest() {
  SpawnRequest request;
  if (ParametersAreInline()) {
    request.command_line = InlineField(1, kCommandLine);
    request.wait_flag = InlineField(2, kWaitFlag);
  } else {
    const char* section = Run().cmd_param0.c_str();
    request.command_line = ReadScriptString(section, "Program", "", kCommandLine);
    request.wait_flag = ReadScriptString(section, "WaitToExit", "FALSE", kWaitFlag);
  }
  request.command_line = ExpandedText(request.command_line, kCommandLine - 1);
  return request;
}

// Waits in short steps until the program has ended or the wait fails.
void WaitForExit(ProcessHandle process) {
  uint32_t result;
  do result = Processes().WaitForSingleObject(process, kWaitStepMs);
  while (result == process::kWaitTimeout);
  System().Sleep(kAfterExitMs);
}

}  // namespace

uint32_t Cmd11_SpawnProgram() {
  const SpawnRequest request = ReadRequest();
  std::string directory, file_name;
  SplitProgramPath(request.command_line.c_str(), &directory, &file_name);
  WriteLog("...Spawning ", Format("<%s>", request.command_line.c_str()));
  WriteLog("...Setting CWD to ", Format("<%s>", directory.c_str()));
  WriteLog("...WaitToFinish:", request.wait_flag);

  ProcessHandle process = 0;
  if (!Processes().CreateProcessA(request.command_line.c_str(), directory.c_str(),
                                  process::kStartfUsePosition, &process)) {
    const ErrorReport error = LastError();
    WriteLog("FAIL - Failure with CreateProcess( )",
             Format("%u - %s", static_cast<unsigned>(error.code), error.text.c_str()));
  } else {
    if (EqualsIgnoreCase(request.wait_flag, "TRUE")) {
      WriteLog("...waiting.....", "");
      WaitForExit(process);
    } else {
      WriteLog("...not waiting", "");
    }
    Processes().CloseHandle(process);
  }
  WriteLog("...Spawn Complete", "");
  return 0;
}

uint32_t Cmd13_Sleep() {
  const std::string& count = Run().cmd_param0;
  if (count.empty()) {
    WriteLog("..time not defined to sleep", "");
    return 0;
  }
  WriteLog("..sleeping ", count);
  const int32_t milliseconds = ReadDecimal(count);
  // The system's pause takes an unsigned count: a negative one would wait
  // for weeks, or for ever at -1. It is no pause at all.
  if (milliseconds < 0) {
    WriteLog("WARNINIG-=-", Format("negative sleep time %s, not sleeping", count.c_str()));
    return 0;
  }
  System().Sleep(static_cast<uint32_t>(milliseconds));
  return 0;
}

}  // namespace velsetup
