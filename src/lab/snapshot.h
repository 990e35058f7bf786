// What a machine holds, taken before the first run and after the last: the
// files and directories of its drives, its registry value by value, and every
// INI file key by key. Two snapshots give the profile's changes (diff.h).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace velsetup::lab {

struct FileEntry {
  std::string path;  // Windows path as the disk spells it
  bool directory = false;
  uint64_t size = 0;
  uint32_t attributes = 0;  // as GetFileAttributesA reports them
  uint64_t hash = 0;        // of the content, to see a change of the same size
};

struct RegistryEntry {
  std::string key;    // HKEY_LOCAL_MACHINE\Software\Velmor
  bool key_only = false;  // the key itself, whatever values it holds
  std::string value;  // "@" for the default value
  std::string data;   // as the registry editor writes it
};

struct IniEntry {
  std::string file, section, key, value;
};

// Everything keyed by its case-blind form, as Windows finds it.
struct Snapshot {
  std::map<std::string, FileEntry> files;
  std::map<std::string, RegistryEntry> registry;
  std::map<std::string, IniEntry> ini;
};

struct SnapshotDrive {
  char letter;
  std::string host_root;
};

// The snapshot of a machine: `drives` as the machine maps them (only those
// inside the machine directory are taken), `registry_file` its registry.reg.
// A registry that does not parse gives no registry entries and says why in
// `*problem`.
Snapshot TakeSnapshot(const std::vector<SnapshotDrive>& drives, const std::string& registry_file,
                      std::string* problem);

// Data as the registry editor writes it: "\"text\"", "dword:00000001",
// "hex(2):41,00".
std::string RegistryDataText(uint32_t type, const std::string& data);

// Case-blind form of a Windows path or name (ASCII letters, as the machine
// folds them).
std::string FoldPath(const std::string& text);

}  // namespace velsetup::lab
