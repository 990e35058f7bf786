// The process-wide state of one run: what start-up and the command loop fill
// and what every command reads. The tool is single-threaded; there is one run
// per process. Texts keep the capacities the script format has always had, so
// that an over-long value is cut the same way on every build.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace velsetup {

class CmosDriver;
class RunObserver;

namespace capacity {
constexpr size_t kField = 512;        // parameter fields and messages
constexpr size_t kPath = 260;         // paths
constexpr size_t kParam0 = 256;       // CmdParam0
constexpr size_t kSectionName = 128;  // section names
constexpr size_t kModuleName = 64;    // the program's own file name
constexpr size_t kLogPath = 128;      // LogPath
constexpr size_t kLogLine = 512;      // one formatted log line, terminator included
}  // namespace capacity

struct RunState {
  Platform platform;

  std::string script_path;  // the given script, then the working copy
  int32_t current_cmd_index = 0;
  uint32_t current_cmd_number = 0;
  std::string cmd_param0;
  std::string current_section_name = "CommandsList";
  std::string next_section_name;
  std::string language_data_section;

  bool silent_mode = false;
  bool suppress_reboot = false;
  bool reboot_requested = false;
  bool logging_enabled = false;

  std::string module_dir;
  std::string module_name;
  std::string log_path = "c:\\system.sav\\util\\install.log";
  // The CMOS driver table of this run, chosen at the entry into the loop.
  std::shared_ptr<CmosDriver> cmos;
  // Who watches the run for a front end; none on the Windows program.
  RunObserver* observer = nullptr;
};

// The run of this process. StartRun() replaces it with a fresh state on the
// given platform (tests start a new run for every case).
RunState& Run();
void StartRun(const Platform& platform);

// Shorthands for the platform of the current run.
inline ProfileApi& Profile() { return *Run().platform.profile; }
inline FileApi& Files() { return *Run().platform.files; }
inline SystemApi& System() { return *Run().platform.system; }
inline UiApi& Ui() { return *Run().platform.ui; }
inline ProcessApi& Processes() { return *Run().platform.processes; }
inline RegistryApi& Registry() { return *Run().platform.registry; }
inline DeviceApi& Devices() { return *Run().platform.devices; }
inline ServiceApi& Services() { return *Run().platform.services; }

}  // namespace velsetup
