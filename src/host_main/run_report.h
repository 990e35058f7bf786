// What the host program tells its user about a run: a progress line while a
// long run goes on (on a terminal only), and one summary line at the end.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "engine/run_observer.h"

namespace velsetup::host_main {

// How a log line counts, by its prefix, where the tool puts its tags
// ("ERROR-=-", "WARNING-=-", "Error=5" after a call's name, ...). The
// announcement of each command ("CMD3> CMD32_...: 32,text") holds the
// script's own text and counts as neither. NOTICE lines ("NOTICE: CMD >7< not
// defined") tell of something the tool let pass; the summary leaves them out.
enum class LineKind { kOther, kError, kWarning, kNotice };
LineKind ClassifyLogLine(const std::string& prefix);

struct RunFacts {
  uint64_t commands = 0;
  uint64_t sections = 0;
  uint64_t errors = 0;
  uint64_t warnings = 0;
  bool startup_failed = false;
  bool restart_asked = false;
  bool restarts_suppressed = false;
  // Where the install log went, as the summary says it: a host path, or why
  // there is none.
  std::string log;
};

// "velsetup: 12 commands run in 3 sections; 1 ERROR and 0 WARNING lines;
// restart asked for; install log /m/drive_c/KIT/deploy.log"
std::string SummaryLine(const RunFacts& facts);

class RunReporter : public RunObserver {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  // `terminal` receives the progress line; null for none (standard error is
  // not a terminal).
  explicit RunReporter(std::FILE* terminal, Clock clock = std::chrono::steady_clock::now);

  void CommandStarting(int32_t slot, uint32_t number, const std::string& section) override;
  void LineLogged(std::string_view prefix, std::string_view message) override;
  void StartupFailed() override { facts_.startup_failed = true; }

  // Takes the progress line off the terminal, if one is shown.
  void ClearProgress();
  const RunFacts& facts() const { return facts_; }
  RunFacts& facts() { return facts_; }

 private:
  std::FILE* terminal_;
  Clock clock_;
  std::chrono::steady_clock::time_point started_;
  std::chrono::steady_clock::time_point drawn_;
  bool shown_ = false;
  RunFacts facts_;
  std::string section_;
  uint32_t last_number_ = 0;
};

}  // namespace velsetup::host_main
