// What Windows starts when it boots, as far as the tool is concerned: the
// registry's RunOnce and Run values and the shortcuts of the Startup
// folders, in the order Windows takes them:
//
//   1. HKLM ...\CurrentVersion\RunOnce  (each value deleted before it runs;
//      one whose name starts with '!' after it has run)
//   2. HKLM ...\CurrentVersion\Run
//   3. HKCU ...\CurrentVersion\Run
//   4. the common Startup folder, then the current user's
//   5. HKCU ...\CurrentVersion\RunOnce  (deleted as in 1)
//
// Only the entries that start the tool are runs of the lab; the others are
// taken as started (and a RunOnce value removed) without anything run.
#pragma once

#include <string>
#include <vector>

namespace velsetup::lab {

// An entry whose program is the tool.
struct BootStart {
  std::string started_by;   // "RunOnce value HKEY_LOCAL_MACHINE\...\RunOnce\name"
  std::string command_line;
  std::string program;                 // the tool as the entry names it
  std::vector<std::string> arguments;  // the tool's arguments, as Windows splits them
  // A '!' RunOnce value, deleted once its run has ended.
  std::string delete_after_key;  // full key name; empty for none
  std::string delete_after_value;
};

struct StartupFolder {
  std::string windows_path;  // C:\WINDOWS\Start Menu\Programs\StartUp
  std::string host_path;     // empty when the machine has no such folder
};

struct BootMachine {
  std::string registry_file;  // registry.reg
  bool nt_family = false;
  std::string module_path;    // the tool's own path: C:\KIT\velsetup.exe
  std::vector<StartupFolder> startup_folders;  // common first
};

struct BootResult {
  std::vector<BootStart> starts;
  std::vector<std::string> findings;  // a damaged shortcut, a registry that does not parse
};

// Boots the machine: removes the RunOnce values from its registry.reg (all
// but those that start with '!') and returns the starts of the tool.
BootResult Boot(const BootMachine& machine);

// Deletes one value from the machine's registry.reg (a '!' RunOnce value
// after its run). False when the registry cannot be read or written.
bool DeleteRegistryValue(const BootMachine& machine, const std::string& key,
                         const std::string& value);

// Whether `program` (a Windows path or name) is the tool: its file name is
// velsetup.exe, case-blind, or it is `module_path`.
bool IsTool(const std::string& program, const std::string& module_path);

// The program a command line starts and its arguments, as Windows reads it;
// `program` empty when the line is empty.
void SplitCommand(const std::string& command_line, const std::string& module_path,
                  std::string* program, std::vector<std::string>* arguments);

}  // namespace velsetup::lab
