// The host program: runs the tool against the simulated machine that
// VELSETUP_MACHINE names (by default $HOME/.velsetup/machine), handing it its
// command line as Windows would: the arguments joined by single blanks, an
// absolute host path in its Windows form through the drive that maps it.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "program/velsetup_main.h"
#include "platform/host/host_platform.h"

namespace {

std::string OwnBinaryPath(const char* argv0) {
  char buffer[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length > 0) return std::string(buffer, static_cast<size_t>(length));
  char* resolved = realpath(argv0, nullptr);
  std::string path = resolved != nullptr ? resolved : argv0;
  std::free(resolved);
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  auto machine = velsetup::host::HostPlatform::Open(velsetup::host::HostPlatform::DefaultMachineDir(),
                                                    OwnBinaryPath(argv[0]), &error);
  if (!machine) {
    std::fprintf(stderr, "velsetup: cannot open the simulated machine: %s\n", error.c_str());
    return 2;
  }
  std::string command_line;
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    if (!argument.empty() && argument[0] == '/') {
      if (auto windows_path = machine->WindowsPathOf(argument)) argument = *windows_path;
    }
    if (i > 1) command_line += ' ';
    command_line += argument;
  }
  return velsetup::VelsetupMain(machine->platform(), command_line);
}
