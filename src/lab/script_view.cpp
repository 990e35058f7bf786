#include "lab/script_view.h"

#include <string>

#include "engine/script_keys.h"
#include "profile/profile_document.h"

namespace velsetup::lab {

using check::CommandLine;
using check::ScriptSection;

std::string ScriptView::Joined(const LabResult& result, std::vector<int>* starts) {
  std::string joined;
  int lines = 0;
  for (const ScriptFile& file : result.files) {
    starts->push_back(lines);
    for (const std::string& line : file.lines) {
      joined += line;
      joined += '\n';
    }
    lines += static_cast<int>(file.lines.size());
  }
  return joined;
}

// The members are made in order: the text from the joined files, then the
// model over that text.
ScriptView::ScriptView(const LabResult& result)
    : text_(check::ScriptText::Parse(Joined(result, &starts_))), model_(text_) {
  for (const ScriptFile& file : result.files) sizes_.push_back(static_cast<int>(file.lines.size()));
  std::vector<std::string> seen;
  for (const check::CommandSection& section : model_.command_sections()) {
    sections_.push_back({section.section, section.commands, true});
    seen.push_back(profile::FoldName(section.section->name));
  }
  // A section a run started is one that runs commands, whatever the model
  // could tell beforehand.
  for (const ProfileResult& profile : result.profiles) {
    for (const SectionRun& run : profile.sections) {
      const ScriptSection* section = text_.Find(run.name);
      if (section == nullptr) continue;
      const std::string folded = profile::FoldName(section->name);
      bool known = false;
      for (const std::string& name : seen) known = known || name == folded;
      if (known) continue;
      seen.push_back(folded);
      ViewSection extra{section, {}, false};
      for (const check::SectionLine& line : section->lines) {
        CommandLine command;
        if (!check::ReadCommandLine(line, &command)) continue;
        command.index = extra.commands.size();
        extra.commands.push_back(std::move(command));
      }
      sections_.push_back(std::move(extra));
    }
  }
}

FileLine ScriptView::Locate(int joined_line) const {
  for (size_t file = starts_.size(); file-- > 0;) {
    const int line = joined_line - starts_[file];
    if (line >= 1 && line <= sizes_[file]) return {static_cast<int>(file), line};
  }
  return {};
}

int ScriptView::Join(int file, int line) const {
  if (file < 0 || static_cast<size_t>(file) >= starts_.size()) return 0;
  if (line < 1 || line > sizes_[static_cast<size_t>(file)]) return 0;
  return starts_[static_cast<size_t>(file)] + line;
}

std::vector<int> ScriptView::DataLines(const CommandLine& command) const {
  std::vector<int> lines;
  const CommandFacts& rule = command.rule();
  if (rule.count_key != nullptr) {
    if (const ScriptSection* data = text_.Find(script_key::kData)) {
      if (const auto count = text_.Key(*data, rule.count_key)) lines.push_back(count->line);
    }
  }
  const std::string name = model_.DataSectionOf(command);
  const ScriptSection* section = name.empty() ? nullptr : text_.Find(name);
  if (section == nullptr) return lines;
  // A command that reads keys by name never looks at the section's other
  // lines, so they are not lines a run can reach.
  if (rule.data == DataKind::kKeys) {
    for (const KeyFact& key : rule.keys()) {
      if (const auto value = text_.Key(*section, key.name)) lines.push_back(value->line);
    }
    return lines;
  }
  for (const check::SectionLine& line : section->lines) lines.push_back(line.line);
  return lines;
}

}  // namespace velsetup::lab
