#include "lab/tool_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

extern char** environ;

namespace velsetup::lab {

namespace {

// The variables the lab sets replace those of its own environment.
std::vector<std::string> MergedEnvironment(const std::vector<std::string>& added) {
  std::vector<std::string> merged;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    bool replaced = false;
    for (const std::string& mine : added) replaced = replaced || mine.compare(0, name.size() + 1, name + "=") == 0;
    if (!replaced) merged.push_back(text);
  }
  merged.insert(merged.end(), added.begin(), added.end());
  return merged;
}

}  // namespace

ChildResult RunChild(const ChildRequest& request) {
  ChildResult result;
  // Everything the child needs is made before the fork: between fork and
  // exec a threaded parent's child may only make plain system calls.
  std::vector<std::string> arguments;
  arguments.push_back(request.program);
  arguments.insert(arguments.end(), request.arguments.begin(), request.arguments.end());
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  std::vector<std::string> environment = MergedEnvironment(request.environment);
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);

  const int output = ::open(request.output_file.c_str(),
                            O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const int input = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (output < 0 || input < 0) {
    result.error = std::string("cannot prepare the run: ") + std::strerror(errno);
    if (output >= 0) ::close(output);
    if (input >= 0) ::close(input);
    return result;
  }
  const auto started = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setpgid(0, 0);
    ::dup2(input, 0);
    ::dup2(output, 1);
    ::dup2(output, 2);
    if (request.file_size_limit > 0) {
      const rlimit limit{request.file_size_limit, request.file_size_limit};
      ::setrlimit(RLIMIT_FSIZE, &limit);
      // A write past the limit then fails with EFBIG, which the tool reports
      // as any failed write, instead of the signal killing it.
      ::signal(SIGXFSZ, SIG_IGN);
    }
    ::execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  ::close(output);
  ::close(input);
  if (pid < 0) {
    result.error = std::string("cannot start the tool: ") + std::strerror(errno);
    return result;
  }
  ::setpgid(pid, pid);  // also here: the child may not have run yet
  result.started = true;
  int status = 0;
  auto next_check = started;
  for (int pause_ms = 1;; pause_ms = pause_ms < 20 ? pause_ms * 2 : 20) {
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (done < 0 && errno != EINTR) break;
    const auto now = std::chrono::steady_clock::now();
    const double elapsed = std::chrono::duration<double>(now - started).count();
    bool stop = false;
    if (elapsed > request.timeout_seconds) {
      result.timed_out = true;
      stop = true;
    } else if (request.stop_check && now >= next_check) {
      next_check = now + std::chrono::milliseconds(250);
      if (request.stop_check()) {
        result.stopped = true;
        stop = true;
      }
    }
    if (stop) {
      ::kill(-pid, SIGKILL);
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(pause_ms));
  }
  // Programs the tool started and left running end with it.
  ::kill(-pid, SIGKILL);
  result.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) {
    result.signal = WTERMSIG(status);
    result.file_too_large = result.signal == SIGXFSZ;
  }
  if (result.exit_code == 127) result.error = "the tool could not be executed: " + request.program;
  return result;
}

}  // namespace velsetup::lab
