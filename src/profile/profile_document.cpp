#include "profile/profile_document.h"

#include <algorithm>

namespace velsetup::profile {

namespace {

bool IsProfileBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

char FoldChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr const char* kNewLineEnd = "\r\n";

ProfileLine NewLine(std::string text) { return ProfileLine{std::move(text), kNewLineEnd}; }

std::string HeaderText(std::string_view name) {
  std::string text = "[";
  text += name;
  text += ']';
  return text;
}

// Moves the blank and comment lines that end `lines` to the front of the
// trailing ones: a key added to the section goes after its last key line,
// ahead of them.
void SettleTrailingBlanks(ProfileSection& section) {
  const size_t first_kept = section.has_header ? 1 : 0;
  size_t end = section.lines.size();
  while (end > first_kept && ReadLine(section.lines[end - 1].text).kind != LineMeaning::kEntry) --end;
  if (end == section.lines.size()) return;
  section.trailing_blanks.insert(section.trailing_blanks.begin(),
                                 std::make_move_iterator(section.lines.begin() + end),
                                 std::make_move_iterator(section.lines.end()));
  section.lines.erase(section.lines.begin() + end, section.lines.end());
}

// Whether a line the profile calls add reads back as the one key line it was
// meant to be. A name or value may hold anything a C string can: a line
// break splits the line, a key that starts with ';' or '[' reads as a comment
// or a header. Such a line changes the shape of the file beyond what an edit
// tracks, so the document is read again from its own bytes.
bool ReadsAsOneEntry(std::string_view text) {
  return text.find_first_of("\r\n") == std::string_view::npos &&
         ReadLine(text).kind == LineMeaning::kEntry;
}

bool ReadAsEntries(const std::vector<std::string>& texts) {
  for (const std::string& text : texts) {
    if (!ReadsAsOneEntry(text)) return false;
  }
  return true;
}

}  // namespace

uint32_t ParseProfileInteger(std::string_view text, bool* has_digits) {
  size_t i = 0;
  while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  uint32_t base = 10;
  if (i + 1 < text.size() && text[i] == '0') {
    const char marker = text[i + 1];
    if (marker == 'x' || marker == 'X') base = 16;
    if (marker == 'o' || marker == 'O') base = 8;
    if (marker == 'b' || marker == 'B') base = 2;
    if (base != 10) i += 2;
  }
  uint32_t value = 0;
  bool any = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    uint32_t digit;
    if (c >= '0' && c <= '9') digit = static_cast<uint32_t>(c - '0');
    else if (c >= 'a' && c <= 'f') digit = static_cast<uint32_t>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F') digit = static_cast<uint32_t>(c - 'A' + 10);
    else break;
    if (digit >= base) break;
    value = value * base + digit;
    any = true;
  }
  if (has_digits != nullptr) *has_digits = any;
  return negative ? 0u - value : value;
}

std::string_view Unquoted(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

std::string_view TrimProfileBlanks(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsProfileBlank(text[begin])) ++begin;
  while (end > begin && IsProfileBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::string FoldName(std::string_view name) {
  std::string folded(TrimProfileBlanks(name));
  for (char& c : folded) c = FoldChar(c);
  return folded;
}

LineMeaning ReadLine(std::string_view text) {
  LineMeaning meaning;
  // The system reads a line as a C string: a NUL byte ends it, and a line
  // that starts with one is no line at all.
  const size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  const std::string_view line = TrimProfileBlanks(text);
  if (line.empty()) return meaning;
  if (line.front() == '[') {
    // The name ends at the first ']'; a header that lacks one still opens
    // the section the rest of its line names.
    meaning.kind = LineMeaning::kHeader;
    const std::string_view rest = line.substr(1);
    meaning.name = TrimProfileBlanks(rest.substr(0, rest.find(']')));
    return meaning;
  }
  if (line.front() == ';') {
    meaning.kind = LineMeaning::kComment;
    return meaning;
  }
  meaning.kind = LineMeaning::kEntry;
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) {
    meaning.name = line;
    return meaning;
  }
  meaning.has_equals = true;
  meaning.name = TrimProfileBlanks(line.substr(0, equals));
  meaning.value = TrimProfileBlanks(line.substr(equals + 1));
  return meaning;
}

ProfileDocument ProfileDocument::Parse(std::string_view bytes) {
  ProfileDocument document;
  document.sections_.emplace_back();  // the lines before the first header
  size_t position = 0;
  while (position < bytes.size()) {
    size_t end = position;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    ProfileLine line;
    line.text.assign(bytes.substr(position, end - position));
    size_t next = end;
    if (next < bytes.size() && bytes[next] == '\r') ++next;
    if (next < bytes.size() && bytes[next] == '\n' && (next == end || bytes[end] == '\r')) ++next;
    line.end.assign(bytes.substr(end, next - end));
    position = next;

    const LineMeaning meaning = ReadLine(line.text);
    if (meaning.kind == LineMeaning::kHeader) {
      SettleTrailingBlanks(document.sections_.back());
      ProfileSection section;
      section.has_header = true;
      section.folded_name = FoldName(meaning.name);
      document.sections_.push_back(std::move(section));
    }
    ProfileSection& current = document.sections_.back();
    current.bytes += line.size();
    document.size_ += line.size();
    current.lines.push_back(std::move(line));
  }
  SettleTrailingBlanks(document.sections_.back());
  document.RebuildSectionIndex();
  return document;
}

void ProfileDocument::ReadAgain() {
  ProfileDocument again = Parse(Bytes());
  *this = std::move(again);
}

void ProfileDocument::RebuildSectionIndex() {
  section_index_.clear();
  for (size_t i = 0; i < sections_.size(); ++i) {
    if (sections_[i].has_header) section_index_.emplace(sections_[i].folded_name, i);
  }
}

std::string ProfileDocument::Bytes() const { return BytesFrom(0); }

// Edits happen near the end of a file far more often than near its start
// (the run's counters and new keys live in the last sections), so both walks
// below find their line from the end of its section.
std::string ProfileDocument::BytesFrom(uint64_t offset) const {
  std::string bytes;
  bytes.reserve(size_ > offset ? size_ - offset : 0);
  uint64_t section_start = 0;
  size_t s = 0;
  while (s < sections_.size() && section_start + sections_[s].bytes <= offset) {
    section_start += sections_[s].bytes;
    ++s;
  }
  if (s == sections_.size()) return bytes;
  const ProfileSection& first = sections_[s];
  size_t i = first.line_count();
  uint64_t line_start = section_start + first.bytes;
  while (i > 0 && line_start > offset) line_start -= first.line(--i).size();
  for (; i < first.line_count(); ++i) {
    const ProfileLine& line = first.line(i);
    const size_t skip = offset > line_start ? static_cast<size_t>(offset - line_start) : 0;
    if (skip < line.text.size()) {
      bytes.append(line.text, skip, std::string::npos);
      bytes += line.end;
    } else {
      bytes.append(line.end, skip - line.text.size(), std::string::npos);
    }
    line_start += line.size();
  }
  for (++s; s < sections_.size(); ++s) {
    const ProfileSection& section = sections_[s];
    for (size_t j = 0; j < section.line_count(); ++j) {
      bytes += section.line(j).text;
      bytes += section.line(j).end;
    }
  }
  return bytes;
}

uint64_t ProfileDocument::OffsetOf(size_t section, size_t line) const {
  uint64_t offset = 0;
  for (size_t s = 0; s < section; ++s) offset += sections_[s].bytes;
  const ProfileSection& target = sections_[section];
  std::vector<uint64_t>& starts = target.line_starts;
  if (starts.empty()) starts.push_back(0);
  while (starts.size() <= line) {
    const size_t next = starts.size();
    starts.push_back(starts.back() + target.line(next - 1).size());
  }
  return offset + starts[line];
}

const ProfileSection* ProfileDocument::FindSection(std::string_view name) const {
  const auto found = section_index_.find(FoldName(name));
  return found == section_index_.end() ? nullptr : &sections_[found->second];
}

ProfileSection* ProfileDocument::FindSectionMutable(std::string_view name) {
  return const_cast<ProfileSection*>(FindSection(name));
}

void ProfileDocument::IndexKeys(const ProfileSection& section) const {
  if (section.key_index_valid) return;
  section.key_index.clear();
  for (size_t i = section.has_header ? 1 : 0; i < section.lines.size(); ++i) {
    const LineMeaning meaning = ReadLine(section.lines[i].text);
    if (meaning.kind == LineMeaning::kEntry) section.key_index.emplace(FoldName(meaning.name), i);
  }
  section.key_index_valid = true;
}

long ProfileDocument::FindKey(const ProfileSection& section, std::string_view name) const {
  IndexKeys(section);
  const auto found = section.key_index.find(FoldName(name));
  return found == section.key_index.end() ? -1 : static_cast<long>(found->second);
}

void ProfileDocument::EndLastLine() {
  for (auto section = sections_.rbegin(); section != sections_.rend(); ++section) {
    if (section->line_count() == 0) continue;
    ProfileLine& last = section->trailing_blanks.empty() ? section->lines.back()
                                                         : section->trailing_blanks.back();
    if (last.end.empty()) {
      last.end = kNewLineEnd;
      section->LinesChangedFrom(section->line_count());
      section->bytes += last.end.size();
      size_ += last.end.size();
    }
    return;
  }
}

ProfileEdit ProfileDocument::InsertLines(size_t section_number, size_t at,
                                         const std::vector<std::string>& texts) {
  ProfileEdit edit;
  edit.changed = true;
  edit.offset = OffsetOf(section_number, at);
  ProfileSection& section = sections_[section_number];
  // A section without trailing blanks may end the file on a line with no
  // line end; the new lines go after it, so it gets one.
  const bool at_end = at == section.lines.size() && section.trailing_blanks.empty() &&
                      section_number + 1 == sections_.size();
  if (at_end && at > 0 && section.lines[at - 1].end.empty()) {
    section.lines[at - 1].end = kNewLineEnd;
    section.bytes += 2;
    size_ += 2;
  }
  section.LinesChangedFrom(at);
  std::vector<ProfileLine> added;
  added.reserve(texts.size());
  for (const std::string& text : texts) {
    added.push_back(NewLine(text));
    section.bytes += added.back().size();
    size_ += added.back().size();
  }
  const bool appended = at == section.lines.size();
  if (appended && section.key_index_valid) {
    for (size_t i = 0; i < added.size(); ++i) {
      const LineMeaning meaning = ReadLine(added[i].text);
      if (meaning.kind == LineMeaning::kEntry)
        section.key_index.emplace(FoldName(meaning.name), at + i);
    }
  } else if (!appended) {
    section.key_index_valid = false;
  }
  section.lines.insert(section.lines.begin() + at, std::make_move_iterator(added.begin()),
                       std::make_move_iterator(added.end()));
  if (!ReadAsEntries(texts)) ReadAgain();
  return edit;
}

ProfileEdit ProfileDocument::AppendSection(std::string_view section_name,
                                           const std::vector<std::string>& lines) {
  ProfileEdit edit;
  edit.changed = true;
  edit.offset = size_;
  EndLastLine();
  const std::string header = HeaderText(TrimProfileBlanks(section_name));
  // The name goes to the file as given, brackets included, and the section
  // is known by what a read of that header finds: "[x]" is written as
  // "[[x]]", which names the section "[x".
  ProfileSection section;
  section.has_header = true;
  section.folded_name = FoldName(ReadLine(header).name);
  section.lines.push_back(NewLine(header));
  for (const std::string& text : lines) section.lines.push_back(NewLine(text));
  for (const ProfileLine& line : section.lines) section.bytes += line.size();
  size_ += section.bytes;
  SettleTrailingBlanks(section);
  section_index_.emplace(section.folded_name, sections_.size());
  sections_.push_back(std::move(section));
  if (header.find_first_of("\r\n") != std::string::npos || !ReadAsEntries(lines)) ReadAgain();
  return edit;
}

ProfileEdit ProfileDocument::SetValue(std::string_view section_name, std::string_view name,
                                      std::string_view value) {
  const std::string_view key = TrimProfileBlanks(name);
  // The value goes to the file as given, blanks and ';' included; a read
  // trims it.
  std::string text(key);
  text += '=';
  text += value;

  ProfileSection* section = FindSectionMutable(section_name);
  if (section == nullptr) return AppendSection(section_name, {text});
  const size_t section_number = static_cast<size_t>(section - sections_.data());

  const long found = FindKey(*section, key);
  if (found < 0) return InsertLines(section_number, section->lines.size(), {text});

  ProfileLine& line = section->lines[static_cast<size_t>(found)];
  // The key keeps the spelling the file gives it.
  std::string replaced(ReadLine(line.text).name);
  replaced += '=';
  replaced += value;
  ProfileEdit edit;
  // A replaced line that ended the file without a line end gets one.
  const bool ends_file = line.end.empty();
  if (replaced == line.text && !ends_file) return edit;
  edit.changed = true;
  edit.offset = OffsetOf(section_number, static_cast<size_t>(found));
  edit.in_place = replaced.size() == line.text.size() && !ends_file;
  if (ends_file) {
    line.end = kNewLineEnd;
    section->bytes += line.end.size();
    size_ += line.end.size();
  }
  if (!edit.in_place) section->LinesChangedFrom(static_cast<size_t>(found) + 1);
  section->bytes += replaced.size();
  section->bytes -= line.text.size();
  size_ += replaced.size();
  size_ -= line.text.size();
  line.text = std::move(replaced);
  if (edit.in_place) edit.replacement = line.text;
  if (!ReadsAsOneEntry(line.text)) ReadAgain();
  return edit;
}

ProfileEdit ProfileDocument::DeleteKey(std::string_view section_name, std::string_view name) {
  ProfileEdit edit;
  ProfileSection* section = FindSectionMutable(section_name);
  if (section == nullptr) return edit;
  const long found = FindKey(*section, name);
  if (found < 0) return edit;
  const size_t section_number = static_cast<size_t>(section - sections_.data());
  const size_t at = static_cast<size_t>(found);
  edit.changed = true;
  edit.offset = OffsetOf(section_number, at);
  ProfileLine& line = section->lines[at];
  // Removing the last line of a file that had no final line end leaves the
  // line before it as the last; it keeps its own end.
  section->bytes -= line.size();
  size_ -= line.size();
  section->lines.erase(section->lines.begin() + at);
  section->LinesChangedFrom(at);
  section->key_index_valid = false;
  SettleTrailingBlanks(*section);
  return edit;
}

ProfileEdit ProfileDocument::DeleteSection(std::string_view section_name) {
  ProfileEdit edit;
  ProfileSection* section = FindSectionMutable(section_name);
  if (section == nullptr) return edit;
  const size_t number = static_cast<size_t>(section - sections_.data());
  edit.changed = true;
  edit.offset = OffsetOf(number, 0);
  size_ -= section->bytes;
  sections_.erase(sections_.begin() + static_cast<long>(number));
  RebuildSectionIndex();
  return edit;
}

ProfileEdit ProfileDocument::ReplaceSection(std::string_view section_name,
                                            const std::vector<std::string>& lines) {
  ProfileSection* section = FindSectionMutable(section_name);
  if (section == nullptr) return AppendSection(section_name, lines);
  const size_t section_number = static_cast<size_t>(section - sections_.data());
  ProfileEdit edit;
  edit.changed = true;
  edit.offset = OffsetOf(section_number, 1);
  for (size_t i = 1; i < section->lines.size(); ++i) {
    section->bytes -= section->lines[i].size();
    size_ -= section->lines[i].size();
  }
  section->lines.erase(section->lines.begin() + 1, section->lines.end());
  // Comments among the lines that end the section go too; the blank lines
  // after the last of them stay.
  size_t last_comment = 0;
  for (size_t i = 0; i < section->trailing_blanks.size(); ++i) {
    if (ReadLine(section->trailing_blanks[i].text).kind == LineMeaning::kComment) last_comment = i + 1;
  }
  for (size_t i = 0; i < last_comment; ++i) {
    section->bytes -= section->trailing_blanks[i].size();
    size_ -= section->trailing_blanks[i].size();
  }
  section->trailing_blanks.erase(section->trailing_blanks.begin(),
                                 section->trailing_blanks.begin() + static_cast<long>(last_comment));
  section->LinesChangedFrom(0);
  section->key_index_valid = false;
  // A header that ended the file without a line end gets one.
  if (section->lines[0].end.empty() && !lines.empty()) {
    section->lines[0].end = kNewLineEnd;
    section->bytes += 2;
    size_ += 2;
  }
  std::vector<ProfileLine> added;
  for (const std::string& text : lines) {
    added.push_back(NewLine(text));
    section->bytes += added.back().size();
    size_ += added.back().size();
  }
  section->lines.insert(section->lines.end(), std::make_move_iterator(added.begin()),
                        std::make_move_iterator(added.end()));
  if (!ReadAsEntries(lines)) ReadAgain();
  return edit;
}

}  // namespace velsetup::profile
