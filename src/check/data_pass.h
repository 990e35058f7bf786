// The data sections pass: the section a command names is there and holds
// something, each of its lines reads as the command needs it, and its keys
// are the ones the command reads.
#pragma once

#include <string>

#include "check/pass_support.h"

namespace velsetup::check {

class DataPass : public Pass {
 public:
  using Pass::Pass;

  void Check(const CommandLine& command);

 private:
  // The data section a command names; null after reporting it missing or empty.
  const ScriptSection* FindData(int line, const std::string& section_name,
                                const std::string& name);
  void CheckMessageSection(const CommandLine& command);
  void CheckIdList(const CommandLine& command);
  void CheckDataLine(const CommandLine& command, const ScriptSection& data,
                     const SectionLine& line);
  void CheckValueLine(const SectionLine& line);
  void CheckVariableLine(const SectionLine& line);
  void CheckRegistryEdit(const SectionLine& line);
  void CheckKeys(const CommandLine& command, const ScriptSection& data);
  void CheckSingleRegistryValue(const CommandLine& command, const ScriptSection& data);
};

}  // namespace velsetup::check
