// The host program's own reading of its arguments: the options only it has
// (--help, --strict), the script, where the tool is taken to lie, and the
// command line the tool is handed, as Windows would hand it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velsetup::host_main {

struct HostArguments {
  bool help = false;
  bool strict = false;
  // The first argument that is not an option, as given: a host path
  // (relative to the current directory) or a Windows path of the machine.
  std::optional<std::string> script;
  // The arguments for the tool, in order, without the host's own options.
  std::vector<std::string> tool_arguments;
};

HostArguments ParseHostArguments(const std::vector<std::string>& arguments);

// Maps an absolute host path to its Windows form; nothing when no drive of
// the machine shows it.
using WindowsPathOf = std::function<std::optional<std::string>(const std::string&)>;

// The tool's command line: the arguments joined by single blanks, the script
// and every absolute host path in their Windows form where a drive shows
// them (a relative script is taken from `current_dir`).
std::string ToolCommandLine(const HostArguments& arguments, const std::string& current_dir,
                            const WindowsPathOf& windows_path_of);

// Where the tool is taken to lie, for its module path and so for ~%C001.
// A program inside the machine directory is where it is. One outside (a
// build directory, /usr/local/bin) is taken to lie beside the script, as
// the tool lies on a kit beside its scripts, or in the current directory
// when no script is named: so kit paths find the kit, and a clean-up of the
// tool's directory meets a read-only drive, never the host's program.
std::string ToolLocation(const std::string& binary_path, const std::string& machine_dir,
                         const HostArguments& arguments, const std::string& current_dir);

// What the tool reads as a full path: anything holding ":\".
bool IsWindowsPath(const std::string& text);

// `path` made absolute against `current_dir`, normalized lexically.
std::string AbsoluteFrom(const std::string& current_dir, const std::string& path);

// The text for -h and --help.
const char* UsageText();

}  // namespace velsetup::host_main
