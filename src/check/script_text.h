// A script as the tool's profile calls see it, with the line of the file each
// section, key and line came from.
//
// The checker reads a file on the host and on Windows alike, with no machine
// behind it, and must know line numbers, which no profile call gives. So it
// parses the bytes itself with the profile text model the simulated machine
// keeps its files in (profile/profile_document.h), which holds the rules the
// tool's reads follow: case-blind names, the first section and the first key
// of a name win, values trimmed and unquoted, comment and blank lines left out
// of a section read.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velsetup::check {

// One line of a section read: "name=value" or a bare line, as
// GetPrivateProfileSectionA gives it.
struct SectionLine {
  int line = 0;
  std::string text;
  // The parts a key read looks at.
  std::string key;
  bool has_equals = false;
  std::string value;  // trimmed, quotes not yet stripped
};

struct ScriptSection {
  std::string name;  // as the header spells it
  int header_line = 0;
  std::vector<SectionLine> lines;
  // Lines that begin with ';'. The simulated machine's section read leaves
  // them out, as Wine's does; where a system passes them on, a command that
  // does not skip them takes them for data.
  std::vector<SectionLine> comment_lines;
  bool empty() const { return lines.empty(); }
};

// A key read: the value GetPrivateProfileStringA returns, and where it is.
struct KeyValue {
  int line = 0;
  std::string value;
};

class ScriptText {
 public:
  static ScriptText Parse(std::string_view bytes);

  // The section a read of `name` finds (the first of that name), or null.
  const ScriptSection* Find(std::string_view name) const;
  const std::vector<ScriptSection>& sections() const { return sections_; }

  // The first line of `key` in the section, with the value a read gives;
  // nothing when the key is absent or its line has no '='.
  std::optional<KeyValue> Key(const ScriptSection& section, std::string_view key) const;

  // Every later section of a name that an earlier one already has.
  const std::vector<ScriptSection>& shadowed_sections() const { return shadowed_; }
  // Lines that no read ever sees: those before the first section.
  const std::vector<SectionLine>& stray_lines() const { return stray_; }
  // Section headers without their ']' (Windows opens the section all the same).
  const std::vector<SectionLine>& broken_headers() const { return broken_headers_; }

 private:
  std::vector<ScriptSection> sections_;  // first of each name, in file order
  std::vector<ScriptSection> shadowed_;
  std::vector<SectionLine> stray_;
  std::vector<SectionLine> broken_headers_;
};

}  // namespace velsetup::check
