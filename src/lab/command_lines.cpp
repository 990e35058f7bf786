#include "lab/command_lines.h"

#include <strings.h>

#include <cstdio>

#include "check/script_model.h"
#include "check/script_text.h"
#include "engine/command_facts.h"
#include "lab/host_tree.h"
#include "engine/text_cleaning.h"
#include "profile/profile_document.h"

namespace velsetup::lab {

namespace {

std::vector<std::string> SplitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A file beside the script by its name, case-blind: the kit is copied from a
// Windows disk, where the script's spelling of a name need not match.
std::string FindBeside(const std::string& directory, const std::string& name) {
  std::vector<std::string> names;
  ListDirectory(directory.empty() ? "." : directory, &names);
  for (const std::string& found : names) {
    if (::strcasecmp(found.c_str(), name.c_str()) == 0) return directory + found;
  }
  return std::string();
}

}  // namespace

bool LoadScriptFiles(const std::string& script_path, std::vector<ScriptFile>* files,
                     std::string* error) {
  std::string bytes;
  if (!ReadHostFile(script_path, &bytes)) {
    *error = "cannot read the script " + script_path;
    return false;
  }
  files->clear();
  const size_t slash = script_path.rfind('/');
  files->push_back({script_path.substr(slash == std::string::npos ? 0 : slash + 1), script_path,
                    SplitLines(bytes)});
  const check::ScriptText text = check::ScriptText::Parse(bytes);
  const check::ScriptModel model(text);
  if (!model.appends()) return true;
  const std::string directory = DirectoryOf(script_path);
  for (const check::CommandSection& section : model.command_sections()) {
    for (const check::CommandLine& command : section.commands) {
      if (command.rule().effect != Effect::kAppendsFile) continue;
      const std::string name = check::AppendedFileName(command);
      if (name.empty()) continue;
      const std::string path = FindBeside(directory, name);
      bool known = false;
      for (const ScriptFile& file : *files) known = known || file.host_path == path;
      std::string appended;
      if (path.empty() || known || !ReadHostFile(path, &appended)) continue;
      files->push_back({path.substr(directory.size()), path, SplitLines(appended)});
    }
  }
  return true;
}

CommandLines::CommandLines(const std::vector<ScriptFile>& files) {
  for (size_t index = 0; index < files.size(); ++index) {
    std::string bytes;
    for (const std::string& line : files[index].lines) bytes += line + "\n";
    const check::ScriptText text = check::ScriptText::Parse(bytes);
    for (const check::ScriptSection& parsed : text.sections()) {
      const std::string folded = profile::FoldName(parsed.name);
      if (FindSection(folded) >= 0) continue;
      Section section;
      section.folded_name = folded;
      // The engine's own cleaning decides which lines take a slot.
      for (const check::SectionLine& line : parsed.lines) {
        if (StripCommentsAndEtc(line.text).empty()) continue;
        section.commands.push_back({static_cast<int>(index), line.line});
      }
      sections_.push_back(std::move(section));
    }
  }
}

int CommandLines::FindSection(const std::string& name) const {
  const std::string folded = profile::FoldName(name);
  for (size_t i = 0; i < sections_.size(); ++i) {
    if (sections_[i].folded_name == folded) return static_cast<int>(i);
  }
  return -1;
}

void CommandLines::SectionStarted(const std::string& section, int32_t first_slot) {
  starts_.push_back({FindSection(section), first_slot});
}

LineRef CommandLines::Find(int32_t slot, const std::string& section) const {
  const std::string folded = profile::FoldName(section);
  for (size_t i = starts_.size(); i-- > 0;) {
    const Start& start = starts_[i];
    if (start.section < 0 || slot < start.first_slot) continue;
    const Section& section = sections_[static_cast<size_t>(start.section)];
    if (section.folded_name != folded) continue;
    const size_t index = static_cast<size_t>(slot - start.first_slot);
    if (index < section.commands.size()) return section.commands[index];
  }
  return LineRef();
}

}  // namespace velsetup::lab
