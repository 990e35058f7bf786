// The trace a watching program asks for with VELSETUP_TRACE: one JSON object
// a line, appended to a host file as the run goes, so that a run that is
// killed still leaves what it did up to then.
//
//   {"event":"section","section":S,"first_slot":N}
//   {"event":"command","slot":N,"number":N,"section":S}
//   {"event":"log","prefix":P,"message":M}
//   {"event":"end","restart_asked":B,"startup_failed":B}
#pragma once

#include <cstdio>
#include <string>

#include "engine/run_observer.h"

namespace velsetup::host_main {

// Writes the trace and hands every call on to `next` (the host program's
// own reporter), so the trace changes nothing of what the user sees.
class RunTrace : public RunObserver {
 public:
  RunTrace(std::FILE* file, RunObserver& next) : file_(file), next_(next) {}
  ~RunTrace() override;
  RunTrace(const RunTrace&) = delete;
  RunTrace& operator=(const RunTrace&) = delete;

  // The trace file VELSETUP_TRACE names, opened for appending; null when the
  // variable is unset or empty, or the file cannot be opened (`*error` then
  // says why).
  static std::FILE* OpenFromEnvironment(std::string* error);

  void CommandStarting(int32_t slot, uint32_t number, const std::string& section) override;
  void LineLogged(std::string_view prefix, std::string_view message) override;
  void StartupFailed() override;
  void SectionStarted(const std::string& section, int32_t first_slot) override;

  void End(bool restart_asked, bool startup_failed);

 private:
  void Write(const std::string& object);

  std::FILE* file_;
  RunObserver& next_;
};

}  // namespace velsetup::host_main
