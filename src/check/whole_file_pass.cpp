#include "check/whole_file_pass.h"

#include <map>
#include <set>

#include "check/command_rules.h"
#include "check/variables_pass.h"
#include "engine/run_state.h"
#include "engine/script_keys.h"
#include "engine/text_format.h"
#include "profile/profile_document.h"

namespace velsetup::check {

using profile::FoldName;

namespace {

// The mark's three bytes glue onto the first line: "\xEF\xBB\xBF[CommandsList]"
// opens with no '[' and is no header.
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

void EncodingError(Diagnostics& found, std::string message) {
  Diagnostic diagnostic;
  diagnostic.line = 1;
  diagnostic.column = 1;
  diagnostic.severity = Severity::kError;
  diagnostic.rule = Rule::kEncoding;
  diagnostic.message = std::move(message);
  found.Add(std::move(diagnostic));
}

// UTF-16 with or without its mark: ASCII text has a NUL in every other byte.
const char* Utf16Order(std::string_view bytes) {
  if (bytes.size() < 2) return nullptr;
  const unsigned char first = static_cast<unsigned char>(bytes[0]);
  const unsigned char second = static_cast<unsigned char>(bytes[1]);
  if ((first == 0xFF && second == 0xFE) || (first != 0 && first < 0x80 && second == 0)) {
    return "little-endian";
  }
  if ((first == 0xFE && second == 0xFF) || (first == 0 && second != 0 && second < 0x80)) {
    return "big-endian";
  }
  return nullptr;
}

}  // namespace

bool CheckEncoding(std::string_view bytes, Diagnostics& found) {
  if (const char* order = Utf16Order(bytes)) {
    EncodingError(found, Concat("the script is UTF-16 (", order,
                                "): the tool reads it with the ANSI profile calls, which find no "
                                "section in it on Windows 95 and 98; save it as ANSI text"));
    return false;
  }
  if (bytes.substr(0, kUtf8Mark.size()) != kUtf8Mark) return true;
  const std::string_view first_line =
      bytes.substr(kUtf8Mark.size(), bytes.find_first_of("\r\n") - kUtf8Mark.size());
  const size_t close = first_line.find(']');
  const std::string lost =
      !first_line.empty() && first_line[0] == '[' && close != std::string_view::npos
          ? Concat(Bracketed(first_line.substr(1, close - 1)), " is never found")
          : std::string("the first line belongs to no section");
  EncodingError(found, Concat("the script starts with a UTF-8 byte order mark, which the profile "
                              "calls read as part of the first line: ",
                              lost, "; save it as ANSI text without the mark"));
  return true;
}

void WholeFilePass::CheckLayout() {
  if (!script_.stray_lines().empty()) {
    found_.Warning(script_.stray_lines().front().line, Rule::kStrayLines,
                   "lines before the first section header are never read");
  }
  for (const SectionLine& line : script_.broken_headers()) {
    found_.Warning(line.line, Rule::kBrokenHeader,
                   Concat(Quoted(line.text),
                          " has no ']': it opens the section named by the rest of the line, "
                          "as Windows reads it"));
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
  if (const auto log_file = script_.Key(*data, script_key::kLogFile)) {
    const std::string kept = CutTo(log_file->value, capacity::kLogPath);
    if (kept.size() < log_file->value.size()) {
      found_.Warning(log_file->line, Rule::kLogFileTooLong,
                     Concat("LogFile is ", std::to_string(log_file->value.size()),
                            " characters long; the tool keeps ", std::to_string(kept.size()),
                            " and logs to ", Quoted(kept)));
    }
  }
  const auto is_velmor = script_.Key(*data, script_key::kIsVelmor);
  const auto debug = script_.Key(*data, script_key::kDebug);
  if (is_velmor && debug && ReadIntValue(is_velmor->value, 0) != 0 &&
      ReadIntValue(debug->value, 0) != 0) {
    found_.Warning(debug->line, Rule::kDebugOverride,
                   "the debug override is on ([DATA] IsVelmor and Debug): CMD09 and "
                   "CMD25 take the maker's branch on every machine");
  }
}

namespace {

// The engine's section reader doubles its buffer from 260 bytes and, on
// Windows 95 and 98, stops before passing 32,768: the last read is of 16,640
// bytes, of which the section call fills all but two. What does not fit is
// cut after the last whole line.
constexpr size_t kWin9xSectionRoom = 16640 - 2;

// "CMD15 (line 4), CMD32 (line 9) and 3 more"
std::string ListOf(const std::vector<std::string>& items) {
  constexpr size_t kShown = 4;
  std::string list;
  for (size_t i = 0; i < items.size() && i < kShown; ++i) {
    if (i > 0) list += i + 1 == items.size() ? " and " : ", ";
    list += items[i];
  }
  if (items.size() > kShown)
    list += Concat(" and ", std::to_string(items.size() - kShown), " more");
  return list;
}

}  // namespace

void WholeFilePass::CheckSectionSizes() {
  std::set<std::string> checked;
  for (const CommandSection& section : model_.command_sections()) {
    if (!checked.insert(FoldName(section.section->name)).second) continue;
    CheckSectionSize(*section.section, {});
  }
  // A data list is read whole, as a command section is; keys are read one
  // by one and have no such limit.
  std::map<std::string, std::vector<std::string>> readers;
  for (const CommandSection& section : model_.command_sections()) {
    for (const CommandLine& command : section.commands) {
      const DataKind kind = command.rule().data;
      if (kind == DataKind::kNone || kind == DataKind::kKeys || kind == DataKind::kMessage)
        continue;
      const std::string data = model_.DataSectionOf(command);
      if (data.empty() || script_.Find(data) == nullptr) continue;
      readers[FoldName(script_.Find(data)->name)].push_back(
          Concat(ShortName(command.Number()), " (line ", std::to_string(command.line), ")"));
    }
  }
  for (const auto& [name, commands] : readers) {
    if (checked.insert(name).second) CheckSectionSize(*script_.Find(name), commands);
  }
}

void WholeFilePass::CheckSectionSize(const ScriptSection& section,
                                     const std::vector<std::string>& readers) {
  size_t total = 0;
  for (const SectionLine& line : section.lines) total += line.text.size() + 1;
  if (total <= kWin9xSectionRoom) return;
  size_t kept = 0;
  size_t used = 0;
  while (used + section.lines[kept].text.size() + 1 <= kWin9xSectionRoom) {
    used += section.lines[kept].text.size() + 1;
    ++kept;
  }
  const int first_lost = section.lines[kept].line;
  const std::string size = Concat(Bracketed(section.name), " holds ", std::to_string(total),
                                  " characters, more than the ", std::to_string(kWin9xSectionRoom),
                                  " Windows 95 and 98 read: they stop before this line");
  if (!readers.empty()) {
    found_.Warning(first_lost, Rule::kSectionTooLarge,
                   Concat(size, ", and ", ListOf(readers), readers.size() == 1 ? " gets" : " get",
                          " none of its lines from here on there"));
    return;
  }
  std::vector<std::string> lost;
  for (const CommandSection& command_section : model_.command_sections()) {
    if (command_section.section != &section) continue;
    for (const CommandLine& command : command_section.commands) {
      if (command.line >= first_lost) {
        lost.push_back(
            Concat(ShortName(command.Number()), " (line ", std::to_string(command.line), ")"));
      }
    }
  }
  found_.Warning(first_lost, Rule::kSectionTooLarge,
                 lost.empty() ? size : Concat(size, ", and ", ListOf(lost), " do not run there"));
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
