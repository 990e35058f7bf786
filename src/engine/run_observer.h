// What a front end may watch of a run to tell its user about it. The run
// never depends on an observer: without one (the Windows program has none)
// nothing is called, and an observer cannot change what the run does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velsetup {

class RunObserver {
 public:
  virtual ~RunObserver() = default;
  // Before each command the loop runs: its slot, number and section.
  virtual void CommandStarting(int32_t slot, uint32_t number, const std::string& section) = 0;
  // A section's lines were expanded into the slots from `first_slot` on: by
  // a section start, or by the completion of one a killed process cut short.
  // Slot `first_slot + i` holds the section's i-th command line, which is
  // how a watcher ties a later CommandStarting back to a line of the script.
  virtual void SectionStarted(const std::string& section, int32_t first_slot) {
    (void)section;
    (void)first_slot;
  }
  // Each line the run logs, and each it would log with logging off.
  virtual void LineLogged(std::string_view prefix, std::string_view message) = 0;
  // Start-up could not find or copy the script: the run ends here.
  virtual void StartupFailed() = 0;
};

}  // namespace velsetup
