// The host program: runs the tool against the simulated machine that
// VELSETUP_MACHINE names (by default $HOME/.velsetup/machine), handing it its
// command line as Windows would: the arguments joined by single blanks, the
// script and absolute host paths in their Windows form through the drive that
// maps them. Unlike the tool, which only ever shows its usage box and exits
// 0, it tells its user on standard error what went wrong and what a run did.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/run_state.h"
#include "host_main/host_arguments.h"
#include "host_main/run_report.h"
#include "host_main/run_trace.h"
#include "host_main/script_diagnosis.h"
#include "program/velsetup_main.h"
#include "platform/host/machine/fault_injection.h"
#include "platform/host/machine/host_platform.h"

namespace {

using velsetup::host::HostPlatform;
namespace host_main = velsetup::host_main;

// Exit codes of the host program itself; the tool's own is always 0.
constexpr int kStrictFailure = 1;
constexpr int kCannotRun = 2;

std::string OwnBinaryPath(const char* argv0) {
  char buffer[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length > 0) return std::string(buffer, static_cast<size_t>(length));
  char* resolved = realpath(argv0, nullptr);
  std::string path = resolved != nullptr ? resolved : argv0;
  std::free(resolved);
  return path;
}

std::string CurrentDirectory() {
  char buffer[PATH_MAX];
  return ::getcwd(buffer, sizeof buffer) != nullptr ? buffer : "/";
}

// The install log as the summary names it: its host path, or why there is none.
std::string LogDescription(HostPlatform& machine) {
  const velsetup::RunState& run = velsetup::Run();
  if (!run.logging_enabled) return "off (the script's [DATA] Logging is 0)";
  velsetup::host::ResolvedPath resolved;
  if (machine.paths().Resolve(run.log_path, &resolved) != 0) {
    return run.log_path + " not written: its directory does not exist";
  }
  if (!resolved.exists) return resolved.host_path + " (" + run.log_path + ") not written";
  return resolved.host_path;
}

}  // namespace

int main(int argc, char** argv) {
  const host_main::HostArguments arguments =
      host_main::ParseHostArguments(std::vector<std::string>(argv + 1, argv + argc));
  if (arguments.help) {
    std::fputs(host_main::UsageText(), stderr);
    return 0;
  }
  const std::string problem = velsetup::host::fault::EnvironmentProblem();
  if (!problem.empty()) {
    std::fprintf(stderr, "velsetup: %s; nothing was run\n", problem.c_str());
    return kCannotRun;
  }

  const std::string current_dir = CurrentDirectory();
  const std::string machine_dir =
      host_main::AbsoluteFrom(current_dir, HostPlatform::DefaultMachineDir());
  const std::string tool = host_main::ToolLocation(OwnBinaryPath(argv[0]), machine_dir,
                                                   arguments, current_dir);
  std::string error;
  auto machine = HostPlatform::Open(machine_dir, tool, &error);
  if (!machine) {
    std::fprintf(stderr, "velsetup: cannot open the simulated machine %s: %s\n",
                 machine_dir.c_str(), error.c_str());
    return kCannotRun;
  }
  const std::string command_line = host_main::ToolCommandLine(
      arguments, current_dir, [&](const std::string& path) { return machine->WindowsPathOf(path); });

  host_main::RunReporter reporter(::isatty(STDERR_FILENO) ? stderr : nullptr);
  std::string trace_error;
  std::FILE* trace_file = host_main::RunTrace::OpenFromEnvironment(&trace_error);
  if (!trace_error.empty()) {
    std::fprintf(stderr, "velsetup: %s; nothing was run\n", trace_error.c_str());
    return kCannotRun;
  }
  host_main::RunTrace trace(trace_file, reporter);
  velsetup::VelsetupMain(machine->platform(), command_line, &trace);
  reporter.ClearProgress();

  const velsetup::RunState& run = velsetup::Run();
  host_main::RunFacts& facts = reporter.facts();
  if (facts.startup_failed) {
    std::fprintf(stderr, "velsetup: %s\n",
                 host_main::ScriptProblem(run.script_path, arguments.script, machine->paths())
                     .c_str());
  }
  facts.restart_asked = run.reboot_requested;
  trace.End(facts.restart_asked, facts.startup_failed);
  facts.restarts_suppressed = run.suppress_reboot;
  facts.log = LogDescription(*machine);
  std::fprintf(stderr, "%s\n", host_main::SummaryLine(facts).c_str());
  const bool failed = facts.errors > 0 || facts.startup_failed;
  return arguments.strict && failed ? kStrictFailure : 0;
}
