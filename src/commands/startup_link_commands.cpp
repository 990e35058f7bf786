#include "commands/startup_link_commands.h"

#include <string>

#include "commands/command_params.h"
#include "commands/command_table.h"
#include "commands/file_lines.h"
#include "engine/script_keys.h"
#include "engine/install_log.h"
#include "engine/run_state.h"
#include "engine/script_file.h"
#include "engine/text_format.h"

namespace velsetup {

namespace {

constexpr size_t kMaxText = 511;
std::string_view ThisCommand() {
  const CommandFacts& facts = FactsOf(Run().current_cmd_number);
  return facts.name != nullptr ? facts.name : "";
}

constexpr const char* kDefaultStartupFolder =
    "C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Startup";

// A key of up to 511 characters; a longer one reads as refused (nothing).
bool ReadKey(const std::string& section, const char* key, const char* default_value,
             std::string* value) {
  *value = ReadScriptString(section.c_str(), key, default_value, kMaxText + 2);
  return PathFits(*value, kMaxText, ThisCommand());
}

// The common Startup folder joined with `name`, when it fits.
bool StartupPath(std::string_view name, std::string* path) {
  std::string folder;
  if (!ReadKey(Run().language_data_section, "CommonStartupFolder", kDefaultStartupFolder,
               &folder)) {
    return false;
  }
  *path = JoinPath(folder, name);
  return PathFits(*path, kMaxText, ThisCommand());
}

void LogFailure(const char* prefix) {
  const ErrorReport error = LastError();
  WriteLog(prefix, Format("%u - %s", static_cast<unsigned>(error.code), error.text.c_str()));
}

}  // namespace

uint32_t Cmd01_Copy_Lnk2StartF_W2000() {
  std::string link, destination;
  if (!ReadKey(Run().cmd_param0, "AddLinkFile", "", &link) ||
      !StartupPath(FileNameOf(link), &destination)) {
    return 0;
  }
  WriteLog("...", Format("CopyFile(%s,%s)", link.c_str(), destination.c_str()));
  if (!Files().CopyFileA(link.c_str(), destination.c_str(), false)) {
    LogFailure("FAIL - Failure with CopyFile( )");
  }
  return 0;
}

uint32_t Cmd02_DEL_LnkInStartF_W2000() {
  std::string name, path;
  if (!ReadKey(Run().cmd_param0, "DeleteLinkFile", "", &name) || !StartupPath(name, &path)) {
    return 0;
  }
  WriteLog("...", Format("DeleteFile(%s)", path.c_str()));
  if (!Files().DeleteFileA(path.c_str())) LogFailure("FAIL - Failure with DeleteFile( )");
  return 0;
}

}  // namespace velsetup
