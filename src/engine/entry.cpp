#include "engine/entry.h"

#include "engine/command_loop.h"
#include "engine/install_log.h"
#include "engine/run_state.h"
#include "engine/startup.h"
#include "engine/text_format.h"

namespace velsetup {

namespace {

constexpr uint32_t kModulePathCapacity = 512;

void FindOwnModule() {
  RunState& run = Run();
  char buffer[kModulePathCapacity] = {};
  const uint32_t length = System().GetModuleFileNameA(buffer, kModulePathCapacity);
  const std::string path(buffer, length < kModulePathCapacity ? length : kModulePathCapacity - 1);
  const SplitPathResult parts = SplitPath(path);
  run.module_dir = CutTo(parts.directory, capacity::kPath);
  run.module_name = CutTo(parts.name, capacity::kModuleName);
}

}  // namespace

int RunTool(const Platform& platform, const ToolParts& parts, const std::string& command_line,
            RunObserver* observer) {
  StartRun(platform);
  Run().observer = observer;
  FindOwnModule();
  if (!InitINIandLogFiles(command_line)) {
    WriteLog("ERROR - ", "cannot initialize");
    if (observer != nullptr) observer->StartupFailed();
    if (!Run().silent_mode) ShowUsageBox();
    return 0;
  }
  return RunScript(parts);
}

}  // namespace velsetup
