#include "lab/snapshot.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "lab/host_tree.h"
#include "platform/host/files/dos_attributes.h"
#include "platform/host/registry/registry_file.h"
#include "profile/profile_document.h"

namespace velsetup::lab {

namespace {

constexpr uint32_t kRegSz = 1, kRegBinary = 3, kRegDword = 4;

// FNV-1a: a content fingerprint, not a defence; a change that keeps the size
// and the fingerprint is not a change a script makes by accident.
uint64_t HashFile(const std::string& host_path, std::string* content, bool keep) {
  uint64_t hash = 1469598103934665603ull;
  const int fd = ::open(host_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  char buffer[65536];
  ssize_t got;
  while ((got = ::read(fd, buffer, sizeof buffer)) > 0) {
    for (ssize_t i = 0; i < got; ++i) {
      hash = (hash ^ static_cast<unsigned char>(buffer[i])) * 1099511628211ull;
    }
    if (keep) content->append(buffer, static_cast<size_t>(got));
  }
  ::close(fd);
  return hash;
}

bool EndsWithIni(const std::string& name) {
  if (name.size() < 4) return false;
  return FoldPath(name.substr(name.size() - 4)) == ".INI";
}

void AddIni(const std::string& windows_path, const std::string& bytes, Snapshot* snapshot) {
  const profile::ProfileDocument document = profile::ProfileDocument::Parse(bytes);
  for (const profile::ProfileSection& section : document.sections()) {
    if (!section.has_header) continue;
    const std::string section_name(profile::ReadLine(section.lines[0].text).name);
    for (size_t i = 1; i < section.line_count(); ++i) {
      const profile::LineMeaning meaning = profile::ReadLine(section.line(i).text);
      if (meaning.kind != profile::LineMeaning::kEntry) continue;
      const std::string key(meaning.name);
      // The first section and the first key of a name are what a read sees.
      const std::string id = FoldPath(windows_path) + "\n" + profile::FoldName(section_name) +
                             "\n" + profile::FoldName(key);
      snapshot->ini.emplace(id, IniEntry{windows_path, section_name, key,
                                         std::string(meaning.value)});
    }
  }
}

void Walk(const std::string& host_dir, const std::string& windows_dir, host::DosAttributes& dos,
          Snapshot* snapshot) {
  std::vector<std::string> names;
  if (!ListDirectory(host_dir, &names)) return;
  for (const std::string& name : names) {
    if (host::DosAttributes::IsSimulationFile(name)) continue;
    const std::string host_path = host_dir + "/" + name;
    const std::string windows_path = windows_dir + "\\" + name;
    struct stat info;
    if (::lstat(host_path.c_str(), &info) != 0) continue;
    FileEntry file;
    file.path = windows_path;
    file.directory = S_ISDIR(info.st_mode);
    file.attributes = dos.Reported(host_path, file.directory);
    if (!file.directory) {
      file.size = static_cast<uint64_t>(info.st_size);
      std::string content;
      const bool ini = S_ISREG(info.st_mode) && EndsWithIni(name);
      if (S_ISREG(info.st_mode)) file.hash = HashFile(host_path, &content, ini);
      if (ini) AddIni(windows_path, content, snapshot);
    }
    snapshot->files.emplace(FoldPath(windows_path), file);
    if (file.directory) Walk(host_path, windows_path, dos, snapshot);
  }
}

void AddKey(const host::RegistryNode& node, const std::string& path, Snapshot* snapshot) {
  RegistryEntry key;
  key.key = path;
  key.key_only = true;
  snapshot->registry.emplace(FoldPath(path), key);
  for (const host::RegistryValue& value : node.values()) {
    RegistryEntry entry;
    entry.key = path;
    entry.value = value.name.empty() ? "@" : value.name;
    entry.data = RegistryDataText(value.type, value.data);
    snapshot->registry.emplace(FoldPath(path) + "\n" + FoldPath(entry.value), entry);
  }
  for (const auto& subkey : node.subkeys()) {
    if (subkey->is_volatile()) continue;
    AddKey(*subkey, path + "\\" + subkey->name(), snapshot);
  }
}

}  // namespace

std::string FoldPath(const std::string& text) {
  std::string folded = text;
  for (char& c : folded) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  return folded;
}

std::string RegistryDataText(uint32_t type, const std::string& data) {
  if (type == kRegDword && data.size() == 4) {
    uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = number << 8 | static_cast<unsigned char>(data[i]);
    char text[24];
    std::snprintf(text, sizeof text, "dword:%08x", number);
    return text;
  }
  if (type == kRegSz && !data.empty() && data.back() == '\0' &&
      data.find('\0') == data.size() - 1 && data.find_first_of("\r\n") == std::string::npos) {
    std::string text = "\"";
    for (size_t i = 0; i + 1 < data.size(); ++i) {
      if (data[i] == '"' || data[i] == '\\') text += '\\';
      text += data[i];
    }
    return text + "\"";
  }
  std::string text = type == kRegBinary ? "hex:" : "hex(" + std::to_string(type) + "):";
  for (size_t i = 0; i < data.size(); ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, "%02x", static_cast<unsigned char>(data[i]));
    if (i > 0) text += ',';
    text += byte;
  }
  return text;
}

Snapshot TakeSnapshot(const std::vector<SnapshotDrive>& drives, const std::string& registry_file,
                      std::string* problem) {
  Snapshot snapshot;
  host::DosAttributes dos;
  for (const SnapshotDrive& drive : drives) {
    const std::string root = std::string(1, drive.letter) + ":";
    Walk(drive.host_root, root, dos, &snapshot);
  }
  std::string bytes;
  if (std::FILE* file = std::fopen(registry_file.c_str(), "rb")) {
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    std::fclose(file);
  }
  host::RegistryTree tree;
  std::string error;
  if (!host::ParseRegistryFile(bytes, &tree, &error)) {
    if (problem != nullptr) *problem = "registry.reg does not parse: " + error;
    return snapshot;
  }
  for (int hive = 0; hive < host::kHiveCount; ++hive) {
    const host::RegistryNode& root = *tree.roots[hive];
    for (const auto& subkey : root.subkeys()) {
      if (subkey->is_volatile()) continue;
      AddKey(*subkey, std::string(host::HiveName(static_cast<host::Hive>(hive))) + "\\" +
                          subkey->name(), &snapshot);
    }
    for (const host::RegistryValue& value : root.values()) {
      RegistryEntry entry;
      entry.key = host::HiveName(static_cast<host::Hive>(hive));
      entry.value = value.name.empty() ? "@" : value.name;
      entry.data = RegistryDataText(value.type, value.data);
      snapshot.registry.emplace(FoldPath(entry.key) + "\n" + FoldPath(entry.value), entry);
    }
  }
  return snapshot;
}

}  // namespace velsetup::lab
