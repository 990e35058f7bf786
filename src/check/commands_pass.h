// The commands pass: each command line of a reached section on its own:
// its number, what it is written with, and the fields of its line.
#pragma once

#include "check/pass_support.h"

namespace velsetup::check {

class CommandsPass : public Pass {
 public:
  using Pass::Pass;

  // False when the command runs nothing that its fields or data could be
  // checked for (not a number, not defined, not supported).
  bool Check(const CommandLine& command);

 private:
  void CheckFieldCount(const CommandLine& command);
  void CheckFields(const CommandLine& command);
  static const char* Noun(FieldRole role);
};

}  // namespace velsetup::check
