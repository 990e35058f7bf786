// The branches and loops pass: where each target leads, what a command
// section still runs after a branch or a command 0, and whether the moves of
// CMD06 and CMD07 stay in their section and end.
#pragma once

#include "check/pass_support.h"

namespace velsetup::check {

class FlowPass : public Pass {
 public:
  using Pass::Pass;

  // The sections `command` may go on with.
  void CheckTargets(const CommandSection& from, const CommandLine& command);
  // What follows `command` in its section; call for each command in order.
  void CheckCourse(const CommandSection& section, const CommandLine& command);

 private:
  void CheckTarget(const CommandSection& from, const Target& target);
  std::vector<int32_t> CountsOf(const char* key, bool* unknown, std::string* written) const;
  std::vector<int32_t> PositiveCounts(const CommandLine& command);
  bool EndsLoop(const CommandLine& command, size_t move_back_at) const;
  void CheckMoveBack(const CommandSection& section, const CommandLine& command);
  void CheckSkip(const CommandSection& section, const CommandLine& command);

  const CommandSection* section_ = nullptr;
  bool jumps_forward_ = false;  // a CMD07 came before in this section
};

}  // namespace velsetup::check
