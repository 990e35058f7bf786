#include "host_main/host_arguments.h"

#include "platform/host/files/drive_access.h"
#include "platform/host/files/path_mapper.h"

namespace velsetup::host_main {

namespace {

std::string BaseName(const std::string& path, char separator) {
  const size_t cut = path.rfind(separator);
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string DirectoryOf(const std::string& path, char separator) {
  const size_t cut = path.rfind(separator);
  if (cut == std::string::npos) return std::string();
  return path.substr(0, cut == 0 ? 1 : cut);
}

}  // namespace

bool IsWindowsPath(const std::string& text) { return text.find(":\\") != std::string::npos; }

std::string AbsoluteFrom(const std::string& current_dir, const std::string& path) {
  if (!path.empty() && path[0] == '/') return host::LexicallyNormalHostPath(path);
  return host::LexicallyNormalHostPath(host::JoinHostPath(current_dir, path));
}

HostArguments ParseHostArguments(const std::vector<std::string>& arguments) {
  HostArguments parsed;
  for (const std::string& argument : arguments) {
    if (argument == "-h" || argument == "--help") {
      parsed.help = true;
    } else if (argument == "--strict") {
      parsed.strict = true;
    } else {
      if (!parsed.script && !argument.empty() && argument[0] != '-') parsed.script = argument;
      parsed.tool_arguments.push_back(argument);
    }
  }
  return parsed;
}

std::string ToolCommandLine(const HostArguments& arguments, const std::string& current_dir,
                            const WindowsPathOf& windows_path_of) {
  std::string command_line;
  bool script_seen = false;
  for (std::string argument : arguments.tool_arguments) {
    const bool is_script = !script_seen && arguments.script && argument == *arguments.script;
    script_seen = script_seen || is_script;
    const bool host_path = !argument.empty() && argument[0] == '/';
    if ((is_script && !IsWindowsPath(argument)) || host_path) {
      if (auto windows = windows_path_of(AbsoluteFrom(current_dir, argument))) argument = *windows;
    }
    if (!command_line.empty()) command_line += ' ';
    command_line += argument;
  }
  return command_line;
}

std::string ToolLocation(const std::string& binary_path, const std::string& machine_dir,
                         const HostArguments& arguments, const std::string& current_dir) {
  if (host::LiesInside(binary_path, machine_dir)) return binary_path;
  const std::string name = BaseName(binary_path, '/');
  if (!arguments.script) return host::JoinHostPath(current_dir, name);
  const std::string& script = *arguments.script;
  if (IsWindowsPath(script)) {
    return DirectoryOf(script, '\\') + "\\" + name;
  }
  return host::JoinHostPath(DirectoryOf(AbsoluteFrom(current_dir, script), '/'), name);
}

const char* UsageText() {
  return "Usage: velsetup [--strict] <script> [-silent] [-noreboot] [-resume]\n"
         "\n"
         "Runs a setup script on the simulated Windows machine in $VELSETUP_MACHINE\n"
         "(default ~/.velsetup/machine), which is made on first use.\n"
         "\n"
         "  <script>    a host path, or a Windows path of the machine (C:\\KIT\\SETUP.INI).\n"
         "              The tool reads its name up to the first '-' that begins an\n"
         "              option (after a blank). Without a script it looks for\n"
         "              velsetup.INI in the current directory.\n"
         "              The script's directory is the tool's own (~%C001) when this\n"
         "              program lies outside the machine.\n"
         "  -silent     no message boxes\n"
         "  -noreboot   no restart at the end\n"
         "  -resume     carry on where the last run stopped\n"
         "  --strict    exit 1 when an ERROR line was logged or the script could not be\n"
         "              started (the tool itself always exits 0)\n"
         "  -h, --help  this text\n"
         "\n"
         "Environment: VELSETUP_MACHINE, VELSETUP_ANSWERS (OK,Yes,No,... for message\n"
         "boxes), VELSETUP_FAIL_CALL=<call>:<error>[:<nth>][@<text>],\n"
         "VELSETUP_KILL_AFTER_WRITES=<n>.\n"
         "\n"
         "Drives outside the machine directory (Z: is the host's root) are read-only\n"
         "unless machine.ini's [DriveAccess] marks them writable.\n";
}

}  // namespace velsetup::host_main
