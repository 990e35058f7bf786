#include "platform/host/machine/host_platform.h"

#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/host/machine/host_machine.h"

namespace velsetup::host {

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string AbsoluteHostPath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return LexicallyNormalHostPath(path);
  char cwd[PATH_MAX];
  const std::string base = ::getcwd(cwd, sizeof cwd) != nullptr ? cwd : "/";
  return LexicallyNormalHostPath(JoinHostPath(base, path));
}

std::string ModulePathOf(const MachineConfig& config, const PathMapper& paths,
                         const std::string& host_binary_path) {
  if (!config.module_path.empty()) return config.module_path;
  if (host_binary_path.find(":\\") != std::string::npos) return host_binary_path;
  if (auto windows = paths.WindowsPathOf(AbsoluteHostPath(host_binary_path))) return *windows;
  // No drive shows the program (Z: given empty): it seems to lie in C:\.
  const size_t slash = host_binary_path.rfind('/');
  return "C:\\" + host_binary_path.substr(slash == std::string::npos ? 0 : slash + 1);
}

// Where CreateProcessA looks for a program named without a path: the tool's
// own directory, the current directory, the system directory (and on the NT
// family the 16-bit one), the Windows directory.
std::vector<std::string> ProgramSearchDirs(const MachineConfig& config,
                                           const std::string& module_path) {
  const size_t backslash = module_path.rfind('\\');
  std::vector<std::string> dirs;
  if (backslash != std::string::npos) dirs.push_back(module_path.substr(0, backslash));
  dirs.push_back(config.current_dir.Text());
  dirs.push_back(config.system_dir.Text());
  if (config.nt_family()) dirs.push_back(config.windows_dir.Text() + "\\SYSTEM");
  dirs.push_back(config.windows_dir.Text());
  // "C:\" and "C:\dir" alike take "\name" after them.
  for (std::string& dir : dirs) {
    if (!dir.empty() && dir.back() == '\\') dir.pop_back();
  }
  return dirs;
}

// Standard input is asked only when a user sits at it.
std::FILE* TerminalInput() { return ::isatty(STDIN_FILENO) ? stdin : nullptr; }

}  // namespace

HostPlatform::HostPlatform(std::string machine_dir, MachineConfig config,
                           const std::string& host_binary_path)
    : machine_dir_(std::move(machine_dir)),
      config_(std::move(config)),
      paths_(config_.drives, config_.current_dir),
      file_access_(paths_, attributes_, last_error_),
      events_(JoinHostPath(machine_dir_, "events.jsonl")),
      profile_(file_access_, config_.windows_dir.Text(), config_.nt_family()),
      files_(paths_, attributes_, last_error_, config_.nt_family()),
      system_(config_, ModulePathOf(config_, paths_, host_binary_path), last_error_, events_),
      ui_(events_, last_error_, SplitAnswers(Env("VELSETUP_ANSWERS")), TerminalInput(), stderr),
      registry_(JoinHostPath(machine_dir_, "registry.reg"), config_, system_),
      processes_(paths_, last_error_, events_,
                 ProgramSearchDirs(config_, ModulePathOf(config_, paths_, host_binary_path))),
      services_(config_, registry_, paths_, last_error_,
                JoinHostPath(machine_dir_, "services.running")),
      devices_(config_, paths_, last_error_, services_, JoinHostPath(machine_dir_, "cmos.bin")) {
  if (fault::Configured()) {
    faulty_profile_ = std::make_unique<FaultyProfile>(profile_, last_error_);
    faulty_files_ = std::make_unique<FaultyFiles>(files_, last_error_);
    faulty_registry_ = std::make_unique<FaultyRegistry>(registry_);
  }
}

std::unique_ptr<HostPlatform> HostPlatform::Open(const std::string& machine_dir,
                                                 const std::string& host_binary_path,
                                                 std::string* error) {
  std::string message;
  const std::string directory = AbsoluteHostPath(machine_dir);
  if (!PrepareMachineDirectory(directory, &message)) {
    if (error != nullptr) *error = message;
    return nullptr;
  }
  std::vector<std::string> warnings;
  MachineConfig config;
  {
    ProfileStore store;
    config = LoadMachineConfig(directory, store, &warnings);
  }
  if (!CompleteMachine(directory, config, &warnings, &message)) {
    if (error != nullptr) *error = message;
    return nullptr;
  }
  for (const std::string& warning : warnings) {
    std::fprintf(stderr, "velsetup: %s/machine.ini: %s\n", directory.c_str(), warning.c_str());
  }
  std::unique_ptr<HostPlatform> platform(
      new HostPlatform(directory, std::move(config), host_binary_path));
  if (!platform->registry_.Open(&message)) {
    if (error != nullptr) *error = message;
    return nullptr;
  }
  return platform;
}

std::string HostPlatform::DefaultMachineDir() {
  const std::string configured = Env("VELSETUP_MACHINE");
  if (!configured.empty()) return configured;
  std::string home = Env("HOME");
  if (home.empty()) {
    if (const passwd* user = ::getpwuid(::getuid())) home = user->pw_dir != nullptr ? user->pw_dir : "";
  }
  if (home.empty()) home = "/tmp";
  return JoinHostPath(home, ".velsetup/machine");
}

}  // namespace velsetup::host
