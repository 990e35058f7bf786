// What velsetup-lab finds when it runs a script on each machine of a matrix:
// one record a profile, and the script's own files, from which the reports
// (terminal, JSON, HTML) and the whole-run analysis (groups, coverage) are
// made. The runner fills it; the reports only read it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velsetup::lab {

// One profile of the matrix: a kind of machine the script will meet.
struct Profile {
  std::string name;  // the matrix section's name, e.g. "win98-acpi-velmor"
  // machine.ini settings as the matrix gives them (after [Defaults]).
  struct Setting {
    std::string section, key, value;  // "Machine", "OS", "win98"
  };
  std::vector<Setting> machine;
  std::string os;     // machine.ini OS name: win95, win98, winme, nt4, win2000, winxp
  std::string power;  // "APM" or "ACPI" on Windows 98; empty elsewhere
  std::string answers;                // as VELSETUP_ANSWERS
  std::vector<std::string> options;  // the tool's options: -silent, -noreboot, ...
};

// How a profile ended.
enum class Outcome {
  kEnded,          // the script ended (no restart asked for, or -noreboot)
  kNotContinued,   // a restart was asked for, but nothing starts the tool again
  kRestartLoop,    // more than the restarts allowed
  kTimedOut,       // a run went on past the time limit and was stopped
  kFailed,         // the tool could not run or was stopped (crash, disk full, ...)
};

// Outcome texts, as every report shows them:
//   kEnded "ended", kNotContinued "a restart was asked for, but nothing
//   starts the tool again", kRestartLoop "restart loop", kTimedOut
//   "timed out", kFailed "failed".
const char* OutcomeText(Outcome outcome);
// The stable short word of the JSON schema: "ended", "not-continued",
// "restart-loop", "timed-out", "failed".
const char* OutcomeWord(Outcome outcome);

// A file of the script: the script itself (index 0) and each file a CMD28
// appends that was found beside it.
struct ScriptFile {
  std::string name;       // as reports show it: "deploy.ini"
  std::string host_path;  // where the lab read it
  std::vector<std::string> lines;  // its text, one entry a line, line ends cut
};

// A section started in a run (run 1 is the first start of the tool).
struct SectionRun {
  int run = 1;
  std::string name;
};

// One command the tool ran.
struct CommandRun {
  int run = 1;
  std::string section;
  int file = 0;     // index into LabResult::files; -1 when not known
  int line = 0;     // 1-based line in that file; 0 when not known
  uint32_t number = 0;
};

// An ERROR, WARNING or NOTICE line of the log (logged, or that would have
// been logged with logging off).
struct LogLine {
  int run = 1;
  std::string kind;  // "ERROR", "WARNING", "NOTICE"
  std::string text;  // the prefix and the message as the log shows them
};

struct MessageBox {
  int run = 1;
  std::string title, text;
  std::string answer;  // the button that answered it: "OK", "Yes", "No", ...
};

struct ProgramStart {
  int run = 1;
  std::string command_line;
};

// A restart of the machine and what started the tool again after it.
struct Restart {
  int after_run = 1;
  // "RunOnce value HKEY_LOCAL_MACHINE\...\RunOnce\velsetup", "Startup
  // shortcut C:\...\StartUp\velsetup.lnk"; empty when nothing did.
  std::string started_by;
  std::string command_line;  // what it started; empty when nothing did
};

enum class Change { kAdded, kChanged, kRemoved };
const char* ChangeWord(Change change);  // "added", "changed", "removed"

struct FileChange {
  Change change = Change::kAdded;
  std::string path;  // Windows path: C:\Velmor\Tools\doc
  bool directory = false;
  uint64_t old_size = 0, new_size = 0;
  uint32_t old_attributes = 0, new_attributes = 0;  // FILE_ATTRIBUTE_* bits
  bool tool_own = false;  // the tool's working copy, its log, its records
};

struct RegistryChange {
  Change change = Change::kAdded;
  std::string key;    // HKEY_LOCAL_MACHINE\Software\Velmor\Tools
  bool key_only = false;  // the key itself was added or removed (no value)
  std::string value;  // the value's name; "@" for the default value
  std::string old_data, new_data;  // as the registry editor writes them: "dword:00000001", "\"text\""
};

struct IniChange {
  Change change = Change::kAdded;
  std::string file;  // Windows path of the INI file
  std::string section, key;
  std::string old_value, new_value;
  bool tool_own = false;
};

struct Changes {
  std::vector<FileChange> files;
  std::vector<RegistryChange> registry;
  std::vector<IniChange> ini;
};

struct ProfileResult {
  Profile profile;
  Outcome outcome = Outcome::kEnded;
  // Why, in words, when the outcome is not kEnded, and every other finding
  // (a damaged shortcut, a kit deleted, a disk filled), one sentence each.
  std::vector<std::string> findings;
  int runs = 0;
  std::vector<SectionRun> sections;
  std::vector<CommandRun> commands;
  std::vector<LogLine> log;
  std::vector<MessageBox> boxes;
  std::vector<ProgramStart> programs;
  std::vector<Restart> restarts;
  Changes changes;
  double seconds = 0;  // wall time of the profile, machine making included
  std::string kept_machine;  // host directory of the machine with --keep

  int errors() const;    // ERROR lines
  int warnings() const;  // WARNING lines
};

struct LabResult {
  std::string script;  // host path of the script as given
  std::vector<ScriptFile> files;
  std::vector<ProfileResult> profiles;  // in the matrix's order
  double seconds = 0;          // wall time of the whole run
  double tool_seconds = 0;     // summed time spent in the tool's processes
};

}  // namespace velsetup::lab
