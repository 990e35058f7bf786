#include "check/script_checker.h"

#include "check/commands_pass.h"
#include "check/data_pass.h"
#include "check/flow_pass.h"
#include "check/script_model.h"
#include "check/script_text.h"
#include "check/whole_file_pass.h"

namespace velsetup::check {

Diagnostics CheckScript(std::string_view bytes) {
  Diagnostics found;
  if (!CheckEncoding(bytes, found)) return found;
  const ScriptText script = ScriptText::Parse(bytes);
  const ScriptModel model(script);
  WholeFilePass whole_file(model, found);
  CommandsPass commands(model, found);
  FlowPass flow(model, found);
  DataPass data(model, found);

  whole_file.CheckLayout();
  whole_file.CheckStart();
  for (const CommandSection& section : model.command_sections()) {
    for (const CommandLine& command : section.commands) {
      if (commands.Check(command)) {
        flow.CheckTargets(section, command);
        data.Check(command);
      }
      flow.CheckCourse(section, command);
    }
  }
  whole_file.CheckKnownSections();
  whole_file.CheckUnused();
  whole_file.CheckSectionSizes();
  return found;
}

}  // namespace velsetup::check
