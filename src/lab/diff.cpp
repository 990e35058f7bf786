#include "lab/diff.h"

namespace velsetup::lab {

namespace {

// Walks two maps keyed alike in step, calling `visit(before, after)` with
// null for the side that lacks the key.
template <typename Entry, typename Visit>
void Merge(const std::map<std::string, Entry>& before, const std::map<std::string, Entry>& after,
           Visit visit) {
  auto old_entry = before.begin();
  auto new_entry = after.begin();
  while (old_entry != before.end() || new_entry != after.end()) {
    if (new_entry == after.end() ||
        (old_entry != before.end() && old_entry->first < new_entry->first)) {
      visit(&old_entry->second, nullptr);
      ++old_entry;
    } else if (old_entry == before.end() || new_entry->first < old_entry->first) {
      visit(nullptr, &new_entry->second);
      ++new_entry;
    } else {
      visit(&old_entry->second, &new_entry->second);
      ++old_entry;
      ++new_entry;
    }
  }
}

Change KindOf(const void* before, const void* after) {
  if (before == nullptr) return Change::kAdded;
  return after == nullptr ? Change::kRemoved : Change::kChanged;
}

}  // namespace

Changes DiffSnapshots(const Snapshot& before, const Snapshot& after,
                      const std::function<bool(const std::string&)>& tool_own) {
  Changes changes;
  Merge(before.files, after.files, [&](const FileEntry* old_file, const FileEntry* new_file) {
    if (old_file != nullptr && new_file != nullptr && old_file->directory == new_file->directory &&
        old_file->size == new_file->size && old_file->attributes == new_file->attributes &&
        old_file->hash == new_file->hash) {
      return;
    }
    const FileEntry& shown = new_file != nullptr ? *new_file : *old_file;
    FileChange change;
    change.change = KindOf(old_file, new_file);
    change.path = shown.path;
    change.directory = shown.directory;
    if (old_file != nullptr) {
      change.old_size = old_file->size;
      change.old_attributes = old_file->attributes;
    }
    if (new_file != nullptr) {
      change.new_size = new_file->size;
      change.new_attributes = new_file->attributes;
    }
    change.tool_own = tool_own(shown.path);
    changes.files.push_back(change);
  });
  Merge(before.registry, after.registry,
        [&](const RegistryEntry* old_value, const RegistryEntry* new_value) {
          if (old_value != nullptr && new_value != nullptr && old_value->data == new_value->data) {
            return;
          }
          const RegistryEntry& shown = new_value != nullptr ? *new_value : *old_value;
          RegistryChange change;
          change.change = KindOf(old_value, new_value);
          change.key = shown.key;
          change.key_only = shown.key_only;
          if (!shown.key_only) change.value = shown.value;
          if (old_value != nullptr) change.old_data = old_value->data;
          if (new_value != nullptr) change.new_data = new_value->data;
          changes.registry.push_back(change);
        });
  Merge(before.ini, after.ini, [&](const IniEntry* old_key, const IniEntry* new_key) {
    if (old_key != nullptr && new_key != nullptr && old_key->value == new_key->value) return;
    const IniEntry& shown = new_key != nullptr ? *new_key : *old_key;
    IniChange change;
    change.change = KindOf(old_key, new_key);
    change.file = shown.file;
    change.section = shown.section;
    change.key = shown.key;
    if (old_key != nullptr) change.old_value = old_key->value;
    if (new_key != nullptr) change.new_value = new_key->value;
    change.tool_own = tool_own(shown.file);
    changes.ini.push_back(change);
  });
  return changes;
}

}  // namespace velsetup::lab
