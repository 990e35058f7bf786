#include "commands/branch_commands.h"

#include <string>

#include "cmos/cmos_driver.h"
#include "commands/command_params.h"
#include "engine/script_keys.h"
#include "engine/install_log.h"
#include "engine/run_state.h"
#include "engine/script_file.h"
#include "engine/text_format.h"
#include "engine/platform_queries.h"
#include "engine/section_reader.h"
#include "services/text_helpers.h"

namespace velsetup {

namespace {

constexpr size_t kTargetName = 255;  // a 256-byte field
constexpr const char* kSettingNext = "  Setting next section to: ";

// How a missing target is told apart in the log: most branches name the
// section, the OS branch names the field it took as well, and writes its
// line before the box rather than after it.
enum class MissingReport { kBoxThenLine, kNumberedLineThenBox };

void ShowMissingSectionBox() {
  if (Run().silent_mode) return;
  Ui().MessageBoxA(
      "An internal error has occured and progress has been aborted.\n\nPlease reinstall "
      "installation.",
      "Velmor SW Installer", message_box::kIconStop | message_box::kSystemModal);
}

void ReportMissingSection(const std::string& target, int32_t outcome, MissingReport report) {
  if (report == MissingReport::kNumberedLineThenBox) {
    WriteLog("ERROR-=-",
             Format("Section number %d [%s] is not found!", static_cast<int>(outcome),
                    target.c_str()));
    ShowMissingSectionBox();
    return;
  }
  ShowMissingSectionBox();
  WriteLog("ERROR-=-", Format("Section [%s] is not found!", target.c_str()));
}

// A section is a target only when it exists and holds a line: an empty one
// would end the run at once rather than go on somewhere.
bool SectionExists(const std::string& name) {
  return ReadSection(name, Run().script_path).has_value();
}

void StoreNextSection(const std::string& name) {
  WriteScriptString(script_key::kState, script_key::kNextSection, name.c_str());
}

// Takes field `outcome` of the command line as the next section.
void SetNextSection(int32_t outcome, bool expand, MissingReport report) {
  std::string target = InlineField(outcome, kTargetName + 1);
  if (expand) target = ExpandedText(std::move(target), kTargetName);
  if (!SectionExists(target)) {
    ReportMissingSection(target, outcome, report);
    return;
  }
  WriteLog(kSettingNext, target);
  StoreNextSection(target);
}

// A test bench forces the maker's outcome when [DATA] has both IsVelmor and
// Debug set; it is logged after the real detection so the log still shows
// what the machine is.
bool DebugOverride() {
  if (ReadScriptInt(script_key::kData, script_key::kIsVelmor, 0) == 0 ||
      ReadScriptInt(script_key::kData, script_key::kDebug, 0) == 0) {
    return false;
  }
  WriteLog("**** DEBUG OVERRIDE *****", "");
  return true;
}

}  // namespace

uint32_t Cmd09_BranchOnIsVelmor() {
  std::string signature;
  if (Cmos().OpenVDD() != 0) {
    WriteLog(" GetVelmorString() - OpenVDD() returned FALSE",
             "GetVelmorString() - error Loading the CMOS driver");
  } else {
    Cmos().GetVelmorString(&signature);
    Cmos().CloseVDD();
  }
  int32_t outcome = 1;
  if (signature.find("VELMOR") != std::string::npos) {
    WriteLog("", " This is a Velmor.");
    outcome = 0;
  } else {
    WriteLog("", " This is not a Velmor.");
  }
  if (DebugOverride()) outcome = 0;
  SetNextSection(outcome, false, MissingReport::kBoxThenLine);
  return 0;
}

uint32_t Cmd18_BranchOnOS() {
  int32_t outcome = 0;
  if (IsWin95()) {
    outcome = 1;
  } else if (IsWin98()) {
    outcome = 2;
  } else if (IsNT4()) {
    outcome = 3;
  } else if (IsWin2000()) {
    outcome = 4;
  }
  SetNextSection(outcome, false, MissingReport::kNumberedLineThenBox);
  return 0;
}

uint32_t Cmd19_JumpToNextSection() {
  const std::string& written = Run().cmd_param0;
  WriteLog(kSettingNext, written);
  const std::string target = ExpandedText(written, kTargetName);
  if (!SectionExists(target)) {
    ReportMissingSection(target, 0, MissingReport::kBoxThenLine);
    return 0;
  }
  StoreNextSection(target);
  return 0;
}

uint32_t Cmd25_BranchOnSystemID() {
  int32_t id = ReadScriptInt(script_key::kData, "SYSID", 0);
  if (Cmos().OpenVDD() != 0) {
    WriteLog(" CMD25_GetSystemID() - OpenVDD() returned FALSE",
             "CMD25_GetSystemID() - error Loading the CMOS driver");
  } else {
    id = Cmos().GetSystemID();
    Cmos().CloseVDD();
  }
  const unsigned system_id = static_cast<uint32_t>(id) & 0xFFFFu;
  int32_t outcome = 2;
  if (system_id == 0) {
    WriteLog("This is not a supported Velmor", Format(" The ID read is 0X%.4X.", 0u));
  } else if (IsSystemIdListed(static_cast<uint16_t>(system_id))) {
    WriteLog("", Format(" This is a Velmor with ID  0X%.4X", system_id));
    outcome = 1;
  } else {
    WriteLog("This is not a supported Velmor",
             Format(" The ID 0X%.4X was not found in list.", system_id));
  }
  if (DebugOverride()) outcome = 1;
  SetNextSection(outcome, true, MissingReport::kBoxThenLine);
  return 0;
}

uint32_t Cmd30_BranchOnPowerManagement() {
  int32_t outcome = 0;
  if (!IsWin98()) {
    WriteLog("", "...not running Win98");
  } else {
    // Windows 98 lists the ACPI bus among its enumerators only when it runs
    // with ACPI; without it the machine uses APM.
    RegistryKey key = 0;
    if (Registry().RegOpenKeyExA(registry_key::kLocalMachine, "ENUM\\ACPI", 0,
                                 registry_access::kRead, &key) == 0) {
      Registry().RegCloseKey(key);
      WriteLog("", " This OS is ACPI");
      outcome = 2;
    } else {
      WriteLog("", " This OS is APM");
      outcome = 1;
    }
  }
  SetNextSection(outcome, false, MissingReport::kBoxThenLine);
  return 0;
}

}  // namespace velsetup
