// One private-profile file held in memory as its lines, grouped by section,
// so that an edit changes exactly the lines it must and tells where the file's
// bytes start to differ. Every line keeps its own bytes and line end; lines
// the profile calls add end in CR LF.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velsetup::profile {

struct ProfileLine {
  std::string text;  // without the line end
  std::string end;   // "\r\n", "\n", "\r", or "" for a last line without one
  size_t size() const { return text.size() + end.size(); }
};

// What one line is to the profile calls.
struct LineMeaning {
  enum Kind { kBlank, kComment, kHeader, kEntry } kind = kBlank;
  std::string_view name;   // section name (header) or key name (entry), trimmed
  bool has_equals = false; // entry: "name=value" rather than a bare "name"
  std::string_view value;  // entry: after the first '=', trimmed
};
LineMeaning ReadLine(std::string_view text);

// A value read as an integer the way the system's string-to-integer routine
// reads it: leading blanks, one sign, a 0x / 0o / 0b base prefix, digits up
// to the first that does not belong; the value wraps at 32 bits.
// `*has_digits` tells whether any digit was read.
uint32_t ParseProfileInteger(std::string_view text, bool* has_digits = nullptr);

// A key value as a key read returns it: one pair of matching quotes around
// the whole value is removed.
std::string_view Unquoted(std::string_view value);

// Case-blind form of a section or key name.
std::string FoldName(std::string_view name);
// Blanks as the profile calls trim them.
std::string_view TrimProfileBlanks(std::string_view text);

struct ProfileSection {
  bool has_header = false;  // false only for the lines before the first section
  std::string folded_name;
  // lines[0] is the header when there is one. The blank and comment lines
  // that end the section are kept apart (`trailing_blanks`), so that a new
  // key goes after its last key line with no shifting of what the key index
  // holds.
  std::vector<ProfileLine> lines;
  std::vector<ProfileLine> trailing_blanks;
  size_t bytes = 0;

  size_t line_count() const { return lines.size() + trailing_blanks.size(); }
  const ProfileLine& line(size_t i) const {
    return i < lines.size() ? lines[i] : trailing_blanks[i - lines.size()];
  }

  // The first line of each key name, built when first needed.
  mutable std::unordered_map<std::string, size_t> key_index;
  mutable bool key_index_valid = false;

  // Where line i starts within the section, known for the first
  // line_starts.size() lines and extended as offsets are asked for. Every
  // write asks for one, and a run writes the same few lines of a section
  // that grows at its end: without this each write would walk the section.
  mutable std::vector<uint64_t> line_starts;
  // An edit of line `line` moves the starts of the lines after it.
  void LinesChangedFrom(size_t line) const {
    if (line_starts.size() > line) line_starts.resize(line);
  }
};

// Where an edit left the file: bytes before `offset` are unchanged. When
// `in_place` is set, only `replacement` (same length as before) changed at
// `offset`; otherwise everything from `offset` on is to be written anew.
struct ProfileEdit {
  bool changed = false;
  uint64_t offset = 0;
  bool in_place = false;
  std::string replacement;
};

class ProfileDocument {
 public:
  static ProfileDocument Parse(std::string_view bytes);

  std::string Bytes() const;
  std::string BytesFrom(uint64_t offset) const;
  uint64_t size() const { return size_; }

  // The first section of that name, case-blind, or null.
  const ProfileSection* FindSection(std::string_view name) const;
  // The first line of key `name` in `section`, or -1.
  long FindKey(const ProfileSection& section, std::string_view name) const;
  const std::vector<ProfileSection>& sections() const { return sections_; }

  // Sets key `name` in the first section `section_name`, replacing its first
  // line, adding it after the section's last key line, or appending the
  // section to the file.
  ProfileEdit SetValue(std::string_view section_name, std::string_view name,
                       std::string_view value);
  // Removes the first line of key `name` in the first section of that name.
  ProfileEdit DeleteKey(std::string_view section_name, std::string_view name);
  // Removes the first section of that name, header and lines; a later
  // section of the same name stays, as the system's own calls leave it.
  ProfileEdit DeleteSection(std::string_view section_name);
  // Replaces the entries of the first section of that name by `lines` (or
  // appends the section); its comments go with them, trailing blanks stay.
  ProfileEdit ReplaceSection(std::string_view section_name, const std::vector<std::string>& lines);

 private:
  uint64_t OffsetOf(size_t section, size_t line) const;
  ProfileSection* FindSectionMutable(std::string_view name);
  void IndexKeys(const ProfileSection& section) const;
  void RebuildSectionIndex();
  // Parses the document's own bytes anew, after an edit added a line that
  // does not read back as the key line it was written as.
  void ReadAgain();
  // The last line of the file gets a line end before anything follows it.
  void EndLastLine();
  ProfileEdit AppendSection(std::string_view section_name, const std::vector<std::string>& lines);
  ProfileEdit InsertLines(size_t section, size_t at, const std::vector<std::string>& texts);

  std::vector<ProfileSection> sections_;
  std::unordered_map<std::string, size_t> section_index_;  // folded name -> first section
  uint64_t size_ = 0;
};

}  // namespace velsetup::profile
