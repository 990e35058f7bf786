#include "check/script_text.h"

#include <unordered_set>

#include "profile/profile_document.h"

namespace velsetup::check {

using profile::FoldName;
using profile::LineMeaning;
using profile::ProfileDocument;
using profile::ProfileSection;
using profile::ReadLine;
using profile::TrimProfileBlanks;
using profile::Unquoted;

ScriptText ScriptText::Parse(std::string_view bytes) {
  const ProfileDocument document = ProfileDocument::Parse(bytes);
  ScriptText script;
  std::unordered_set<std::string> seen;
  int first_line = 1;  // line number of the section's first line
  for (const ProfileSection& section : document.sections()) {
    ScriptSection parsed;
    const size_t first_entry = section.has_header ? 1 : 0;
    if (section.has_header) {
      parsed.name = std::string(ReadLine(section.lines[0].text).name);
      parsed.header_line = first_line;
      // Windows opens a section at a header that lacks its ']' as well; the
      // author most likely meant one, but may not have meant its name.
      const std::string_view header = TrimProfileBlanks(section.lines[0].text);
      if (header.find(']') == std::string_view::npos) {
        SectionLine broken;
        broken.line = first_line;
        broken.text = std::string(header);
        script.broken_headers_.push_back(broken);
      }
    }
    for (size_t i = first_entry; i < section.lines.size(); ++i) {
      const LineMeaning meaning = ReadLine(section.lines[i].text);
      if (meaning.kind == LineMeaning::kComment) {
        parsed.comment_lines.push_back({first_line + static_cast<int>(i),
                                        std::string(TrimProfileBlanks(section.lines[i].text)), "",
                                        false, ""});
      }
      if (meaning.kind != LineMeaning::kEntry) continue;
      SectionLine line;
      line.line = first_line + static_cast<int>(i);
      line.key = std::string(meaning.name);
      line.has_equals = meaning.has_equals;
      line.value = std::string(meaning.value);
      line.text = line.key;
      if (meaning.has_equals) line.text += "=" + line.value;
      parsed.lines.push_back(std::move(line));
    }
    first_line += static_cast<int>(section.line_count());

    if (!section.has_header) {
      script.stray_ = std::move(parsed.lines);
    } else if (seen.insert(section.folded_name).second) {
      script.sections_.push_back(std::move(parsed));
    } else {
      script.shadowed_.push_back(std::move(parsed));
    }
  }
  return script;
}

const ScriptSection* ScriptText::Find(std::string_view name) const {
  const std::string folded = FoldName(name);
  for (const ScriptSection& section : sections_) {
    if (FoldName(section.name) == folded) return &section;
  }
  return nullptr;
}

std::optional<KeyValue> ScriptText::Key(const ScriptSection& section, std::string_view key) const {
  const std::string folded = FoldName(key);
  for (const SectionLine& line : section.lines) {
    if (FoldName(line.key) != folded) continue;
    // A bare line of that name hides later ones and reads as absent.
    if (!line.has_equals) return std::nullopt;
    return KeyValue{line.line, std::string(Unquoted(line.value))};
  }
  return std::nullopt;
}

}  // namespace velsetup::check
