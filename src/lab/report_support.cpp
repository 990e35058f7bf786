#include "lab/report_support.h"

namespace velsetup::lab {

namespace {
const std::string kNothing;
}  // namespace

const std::string& FileName(const LabResult& result, int file) {
  if (file < 0 || static_cast<size_t>(file) >= result.files.size()) return kNothing;
  return result.files[static_cast<size_t>(file)].name;
}

const std::string& LineText(const LabResult& result, int file, int line) {
  if (file < 0 || static_cast<size_t>(file) >= result.files.size()) return kNothing;
  const std::vector<std::string>& lines = result.files[static_cast<size_t>(file)].lines;
  if (line < 1 || static_cast<size_t>(line) > lines.size()) return kNothing;
  return lines[static_cast<size_t>(line - 1)];
}

const std::string& ProfileName(const LabResult& result, int profile) {
  if (profile < 0 || static_cast<size_t>(profile) >= result.profiles.size()) return kNothing;
  return result.profiles[static_cast<size_t>(profile)].profile.name;
}

std::string SystemOf(const Profile& profile) {
  return profile.power.empty() ? profile.os : profile.os + " " + profile.power;
}

int FilesChanged(const ProfileResult& profile) {
  int count = 0;
  for (const FileChange& file : profile.changes.files) count += file.tool_own ? 0 : 1;
  return count;
}

int ValuesChanged(const ProfileResult& profile) {
  int count = 0;
  for (const RegistryChange& entry : profile.changes.registry) count += entry.key_only ? 0 : 1;
  return count;
}

std::string AttributeLetters(uint32_t attributes) {
  const struct {
    uint32_t bit;
    char letter;
  } letters[] = {{0x10, 'D'}, {0x01, 'R'}, {0x02, 'H'}, {0x04, 'S'}, {0x20, 'A'}};
  std::string text;
  for (const auto& letter : letters) {
    if ((attributes & letter.bit) != 0) text += letter.letter;
  }
  return text.empty() ? "-" : text;
}

}  // namespace velsetup::lab
