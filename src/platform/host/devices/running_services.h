// Which services of the simulated NT machine run: machine state that, like a
// loaded driver, outlives the program that started it. Kept in the file
// services.running of the machine directory, one service name a line, read
// at every question (a user or another tool may change it between calls) and
// replaced durably at every change. A missing file: nothing runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velsetup::host {

class RunningServices {
 public:
  explicit RunningServices(std::string path) : path_(std::move(path)) {}

  // Names compare case-blind, as service names do.
  bool Contains(const std::string& name) const;
  std::vector<std::string> Names() const;
  // 0, or the Win32 error of the failed write (the old state stands).
  uint32_t Add(const std::string& name);
  uint32_t Remove(const std::string& name);

 private:
  uint32_t Store(const std::vector<std::string>& names);

  std::string path_;
};

}  // namespace velsetup::host
