#include "check/script_checker.h"

#include "check/commands_pass.h"
#include "check/data_pass.h"
#include "check/flow_pass.h"
#include "check/script_model.h"
#include "check/script_text.h"
#include "check/whole_file_pass.h"
#include "profile/profile_document.h"

namespace velsetup::check {

namespace {

// Looks for the files the script's CMD28 lines append; the sections of those
// found count as the script's from then on.
void FindAppendedFiles(const ScriptModel& model, const AppendedFileFinder& find,
                       AppendedSections* appended, Diagnostics& found) {
  appended->all_known = true;
  for (const CommandSection& section : model.command_sections()) {
    for (const CommandLine& command : section.commands) {
      if (command.rule().effect != Effect::kAppendsFile) continue;
      const std::string name = AppendedFileName(command);
      if (name.empty()) {
        appended->all_known = false;
        continue;
      }
      const std::optional<std::string> bytes = find.Find(name);
      if (!bytes) {
        appended->all_known = false;
        found.Warning(command.line, Rule::kAppendedFileMissing,
                      "CMD28 appends '" + name +
                          "', which is not beside the script: the sections it would bring "
                          "are not checked");
        continue;
      }
      const ScriptText text = ScriptText::Parse(*bytes);
      for (const ScriptSection& brought : text.sections()) {
        appended->names.insert(profile::FoldName(brought.name));
      }
    }
  }
}

}  // namespace

Diagnostics CheckScript(std::string_view bytes, const AppendedFileFinder* find_appended) {
  Diagnostics found;
  if (!CheckEncoding(bytes, found)) return found;
  const ScriptText script = ScriptText::Parse(bytes);
  ScriptModel model(script);
  if (find_appended && model.appends()) {
    AppendedSections appended;
    FindAppendedFiles(model, *find_appended, &appended, found);
    model.SetAppendedSections(std::move(appended));
  }
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
