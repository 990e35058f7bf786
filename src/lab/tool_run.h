// One start of the host program as a child process. The tool keeps its run
// state in globals, so every start is a process of its own, never a thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace velsetup::lab {

struct ChildRequest {
  std::string program;                  // host path of the host program
  std::vector<std::string> arguments;   // after the program's name
  std::vector<std::string> environment; // "NAME=value", added to the lab's own
  std::string output_file;              // stdout and stderr go here
  double timeout_seconds = 30;
  uint64_t file_size_limit = 0;         // RLIMIT_FSIZE; 0 for none
  // Asked now and then while the child runs; true stops it (the machine grew
  // past its bound). Null for none.
  std::function<bool()> stop_check;
};

struct ChildResult {
  bool started = false;
  bool timed_out = false;
  bool stopped = false;     // stop_check asked for it
  int exit_code = -1;       // when it exited
  int signal = 0;           // when a signal ended it
  bool file_too_large = false;  // a write passed the file size limit
  double seconds = 0;
  std::string error;        // why it could not be started
};

// Runs the child with standard input from /dev/null, in a process group of
// its own, so that a stop also ends the programs it started.
ChildResult RunChild(const ChildRequest& request);

}  // namespace velsetup::lab
