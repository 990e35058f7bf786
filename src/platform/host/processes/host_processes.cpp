#include "platform/host/processes/host_processes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/host/posix/errno_mapping.h"
#include "platform/host/processes/windows_command_line.h"

namespace velsetup::host {

namespace {

constexpr uint32_t kBadExeFormat = 193;
constexpr uint32_t kInfinite = 0xFFFFFFFFu;
constexpr auto kPollInterval = std::chrono::milliseconds(5);

bool HasPathPart(const std::string& name) {
  return name.find_first_of("\\/:") != std::string::npos;
}

// ".exe" goes after a last component that has no extension.
std::string WithExtension(const std::string& name) {
  const size_t separator = name.find_last_of("\\/:");
  const size_t dot = name.rfind('.');
  const bool has_extension =
      dot != std::string::npos && (separator == std::string::npos || dot > separator);
  return has_extension ? name : name + ".exe";
}

// Runs in the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void ExecChild(const std::string& host_program, const std::string& host_directory,
                            std::vector<char*>& argv, int report_fd) {
  int error_number = 0;
  if (::chdir(host_directory.c_str()) != 0) {
    error_number = errno;
  } else {
    const int null_fd = ::open("/dev/null", O_RDONLY);
    if (null_fd >= 0) {
      ::dup2(null_fd, STDIN_FILENO);
      if (null_fd != STDIN_FILENO) ::close(null_fd);
    }
    ::execv(host_program.c_str(), argv.data());
    error_number = errno;
  }
  ssize_t ignored = ::write(report_fd, &error_number, sizeof error_number);
  (void)ignored;
  ::_exit(127);
}

}  // namespace

HostProcesses::~HostProcesses() {
  for (const auto& [handle, child] : children_) WriteEvent(child);
}

bool HostProcesses::Fail(uint32_t code) {
  last_error_.code = code;
  return false;
}

uint32_t HostProcesses::ResolveProgram(const std::string& name, std::string* host_path) {
  // A missing directory on the way reports 3 only when every try failed so.
  uint32_t error = win32_error::kFileNotFound;
  const std::string file = WithExtension(name);
  std::vector<std::string> tries;
  if (HasPathPart(file)) {
    tries.push_back(file);
  } else {
    for (const std::string& directory : search_dirs_) tries.push_back(directory + "\\" + file);
  }
  for (const std::string& windows : tries) {
    ResolvedPath resolved;
    const uint32_t code = paths_.Resolve(windows, &resolved);
    if (code != win32_error::kSuccess) {
      if (error == win32_error::kFileNotFound) error = code;
      continue;
    }
    if (resolved.exists && !resolved.is_directory) {
      *host_path = resolved.host_path;
      return win32_error::kSuccess;
    }
  }
  return error;
}

bool HostProcesses::FindProgram(const std::string& command_line, std::string* host_path) {
  uint32_t error = win32_error::kFileNotFound;
  for (const std::string& name : ProgramCandidates(command_line)) {
    error = ResolveProgram(name, host_path);
    if (error == win32_error::kSuccess) return true;
  }
  return Fail(error);
}

bool HostProcesses::CreateProcessA(const char* command_line, const char* directory,
                                   uint32_t startup_flags, ProcessHandle* process) {
  ReapClosed();
  const std::string line = command_line != nullptr ? command_line : "";
  std::string program;
  if (!FindProgram(line, &program)) {
    events_.Append("{\"event\":\"spawn\",\"command_line\":" + JsonString(line) +
                   ",\"error\":" + std::to_string(last_error_.code) + "}");
    return false;
  }
  ResolvedPath working;
  const std::string directory_text =
      directory != nullptr ? directory : paths_.current_directory().Text();
  const uint32_t code = paths_.Resolve(directory_text, &working);
  if (code != win32_error::kSuccess || !working.exists || !working.is_directory) {
    return Fail(win32_error::kDirectory);
  }
  if (::access(program.c_str(), X_OK) != 0) return Fail(kBadExeFormat);

  std::vector<std::string> arguments = SplitArguments(line);
  arguments.insert(arguments.begin(), program);
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(&argument[0]);
  argv.push_back(nullptr);

  // The child reports a failed exec through a pipe that exec closes.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return Fail(Win32ErrorFromErrno(errno));
  const pid_t pid = ::fork();
  if (pid < 0) {
    const int error_number = errno;
    ::close(report[0]);
    ::close(report[1]);
    return Fail(Win32ErrorFromErrno(error_number));
  }
  if (pid == 0) ExecChild(program, working.host_path, argv, report[1]);
  ::close(report[1]);
  int exec_error = 0;
  ssize_t got;
  do got = ::read(report[0], &exec_error, sizeof exec_error);
  while (got < 0 && errno == EINTR);
  ::close(report[0]);
  if (got == static_cast<ssize_t>(sizeof exec_error)) {
    ::waitpid(pid, nullptr, 0);
    return Fail(exec_error == ENOEXEC || exec_error == EACCES ? kBadExeFormat
                                                              : Win32ErrorFromErrno(exec_error));
  }
  Child child;
  child.pid = pid;
  child.command_line = line;
  child.directory = working.windows.Text();
  child.startup_flags = startup_flags;
  *process = next_handle_++;
  children_[*process] = std::move(child);
  return true;
}

uint32_t HostProcesses::WaitForSingleObject(ProcessHandle process, uint32_t milliseconds) {
  const auto found = children_.find(process);
  if (found == children_.end()) {
    last_error_.code = win32_error::kInvalidHandle;
    return process::kWaitFailed;
  }
  Child& child = found->second;
  child.waited = true;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!child.ended) {
    const pid_t done = ::waitpid(child.pid, nullptr, WNOHANG);
    if (done == child.pid || (done < 0 && errno == ECHILD)) {
      child.ended = true;
      break;
    }
    const auto now = std::chrono::steady_clock::now();
    if (milliseconds != kInfinite && now >= deadline) return process::kWaitTimeout;
    std::this_thread::sleep_for(
        milliseconds == kInfinite ? kPollInterval
                                  : std::min<std::chrono::steady_clock::duration>(
                                        kPollInterval, deadline - now));
  }
  return process::kWaitObject0;
}

bool HostProcesses::CloseHandle(ProcessHandle process) {
  const auto found = children_.find(process);
  if (found == children_.end()) return Fail(win32_error::kInvalidHandle);
  WriteEvent(found->second);
  if (!found->second.ended) closed_running_.push_back(found->second.pid);
  children_.erase(found);
  return true;
}

void HostProcesses::WriteEvent(const Child& child) {
  events_.Append("{\"event\":\"spawn\",\"command_line\":" + JsonString(child.command_line) +
                 ",\"directory\":" + JsonString(child.directory) +
                 ",\"wait\":" + (child.waited ? "true" : "false") + ",\"position\":" +
                 ((child.startup_flags & process::kStartfUsePosition) != 0 ? "true" : "false") +
                 "}");
}

void HostProcesses::ReapClosed() {
  closed_running_.erase(std::remove_if(closed_running_.begin(), closed_running_.end(),
                                       [](pid_t pid) {
                                         const pid_t done = ::waitpid(pid, nullptr, WNOHANG);
                                         return done == pid || done < 0;
                                       }),
                        closed_running_.end());
}

}  // namespace velsetup::host
