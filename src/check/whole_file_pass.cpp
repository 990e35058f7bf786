#include "check/whole_file_pass.h"

#include <map>
#include <set>

#include "check/command_rules.h"
#include "check/variables_pass.h"
#include "engine/script_keys.h"
#include "engine/text_format.h"
#include "profile/profile_document.h"

namespace velsetup::check {

using profile::FoldName;

void WholeFilePass::CheckLayout() {
  if (!script_.stray_lines().empty()) {
    found_.Warning(script_.stray_lines().front().line, Rule::kStrayLines,
                   "lines before the first section header are never read");
  }
  for (const SectionLine& line : script_.broken_headers()) {
    found_.Warning(line.line, Rule::kBrokenHeader,
                   Concat(Quoted(line.text),
                          " is no section header (it has no ']'): "
                          "the line belongs to the section above"));
  }
  for (const ScriptSection& shadowed : script_.shadowed_sections()) {
    const ScriptSection* first = script_.Find(shadowed.name);
    found_.Warning(shadowed.header_line, Rule::kRepeatedSection,
                   Concat(Bracketed(shadowed.name), " again: only the first one (line ",
                          std::to_string(first->header_line), ") is ever read"));
  }
}

void WholeFilePass::CheckStart() {
  switch (model_.start()) {
    case StartSection::kMissing:
      found_.Error(1, Rule::kNoStart,
                   "the script has no [CommandsList]: a run has nowhere to start");
      break;
    case StartSection::kEmpty:
      found_.Error(script_.Find(script_key::kCommandsList)->header_line, Rule::kNoStart,
                   "[CommandsList] is empty: a run stops at once");
      break;
    case StartSection::kFound: break;
  }
}

void WholeFilePass::CheckKnownSections() {
  for (const ScriptSection& section : script_.sections()) {
    const std::string folded = FoldName(section.name);
    if (folded == FoldName(script_key::kVariables)) CheckVariablesSection(model_, found_, section);
    if (model_.IsKeyed(section.name) || folded == FoldName(script_key::kVariables)) {
      CheckRepeatedKeys(section);
    }
  }
  const ScriptSection* data = script_.Find(script_key::kData);
  if (data == nullptr) return;
  const auto is_velmor = script_.Key(*data, script_key::kIsVelmor);
  const auto debug = script_.Key(*data, script_key::kDebug);
  if (is_velmor && debug && ReadIntValue(is_velmor->value, 0) != 0 &&
      ReadIntValue(debug->value, 0) != 0) {
    found_.Warning(debug->line, Rule::kDebugOverride,
                   "the debug override is on ([DATA] IsVelmor and Debug): CMD09 and "
                   "CMD25 take the maker's branch on every machine");
  }
}

void WholeFilePass::CheckRepeatedKeys(const ScriptSection& section) {
  std::map<std::string, int> first;
  for (const SectionLine& line : section.lines) {
    if (!line.has_equals) continue;
    const auto inserted = first.emplace(FoldName(line.key), line.line);
    if (!inserted.second) {
      found_.Warning(line.line, Rule::kRepeatedKey,
                     Concat("the key ", Quoted(line.key), " again: only the first one (line ",
                            std::to_string(inserted.first->second), ") is read"));
    }
  }
}

void WholeFilePass::CheckUnused() {
  if (model_.anything_reachable()) return;
  std::set<std::string> owned_sections;
  for (const char* owned :
       {script_key::kData, script_key::kVariables, script_key::kState, script_key::kCommands}) {
    owned_sections.insert(FoldName(owned));
  }
  for (const ScriptSection& section : script_.sections()) {
    if (model_.IsUsed(section.name) || owned_sections.count(FoldName(section.name)) != 0) continue;
    if (model_.reads_language_data() &&
        FoldName(section.name).compare(0, 5, FoldName(kLanguageDataPrefix)) == 0) {
      continue;
    }
    found_.Warning(section.header_line, Rule::kUnusedSection,
                   Concat(Bracketed(section.name),
                          " is never used: no branch, jump, message box or NextSection reaches "
                          "it, and no command reads it"));
  }
}

}  // namespace velsetup::check
