// ProcessApi of the simulated machine: a Windows command line starts a host
// program. The program is found as CreateProcessA finds it (".exe" added to
// a name without an extension; a bare name searched in the tool's directory,
// the current directory, the system directories and the Windows directory;
// the simulated machine has no PATH), its arguments are split by the C
// runtime's rules, and it runs in the mapped working directory. Any host
// executable serves, a shell script named x.exe with a "#!" line included.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

#include "platform/host/machine/events.h"
#include "platform/host/machine/last_error.h"
#include "platform/host/files/path_mapper.h"
#include "platform/platform.h"

namespace velsetup::host {

class HostProcesses : public ProcessApi {
 public:
  // `search_dirs` are the full Windows paths a bare name is looked for in.
  HostProcesses(PathMapper& paths, LastError& last_error, EventLog& events,
                std::vector<std::string> search_dirs)
      : paths_(paths), last_error_(last_error), events_(events),
        search_dirs_(std::move(search_dirs)) {}
  ~HostProcesses() override;

  // Fails with 2 when no candidate name is a file, 3 when its directory is
  // missing, 267 for a working directory that is none, 193 for a file the
  // host cannot run.
  bool CreateProcessA(const char* command_line, const char* directory, uint32_t startup_flags,
                      ProcessHandle* process) override;
  // Polls the program every few milliseconds: waiting costs no CPU to speak of.
  uint32_t WaitForSingleObject(ProcessHandle process, uint32_t milliseconds) override;
  // Writes the program's "spawn" event: it now knows whether it was waited for.
  bool CloseHandle(ProcessHandle process) override;

 private:
  struct Child {
    pid_t pid = 0;
    bool ended = false;
    bool waited = false;
    std::string command_line, directory;
    uint32_t startup_flags = 0;
  };
  bool Fail(uint32_t code);
  // The host file of the first candidate that exists; false with the error.
  bool FindProgram(const std::string& command_line, std::string* host_path);
  // One candidate: 0 with `*host_path` set, or the Win32 code of the miss.
  uint32_t ResolveProgram(const std::string& name, std::string* host_path);
  void WriteEvent(const Child& child);
  void ReapClosed();

  PathMapper& paths_;
  LastError& last_error_;
  EventLog& events_;
  std::vector<std::string> search_dirs_;
  std::map<ProcessHandle, Child> children_;
  std::vector<pid_t> closed_running_;  // reaped when they end
  ProcessHandle next_handle_ = 0x100;
};

}  // namespace velsetup::host
