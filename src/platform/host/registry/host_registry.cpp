#include "platform/host/registry/host_registry.h"

#include <cstring>
#include <string_view>

#include "platform/host/registry/registry_defaults.h"
#include "platform/host/registry/registry_file.h"
#include "platform/platform.h"

namespace velsetup::host {

namespace {

constexpr int32_t kSuccess = 0;
constexpr int32_t kBadPathname = 161;
constexpr int32_t kBadDatabase = 1009;        // ERROR_BADDB
constexpr int32_t kBadKey = 1010;             // ERROR_BADKEY
constexpr int32_t kKeyDeleted = 1018;         // ERROR_KEY_DELETED
constexpr int32_t kChildMustBeVolatile = 1021;
constexpr int32_t kNoAccess = 998;            // ERROR_NOACCESS

constexpr size_t kMaxKeyName = 255;
// Handles are numbered as the NT family numbers them: multiples of 4.
constexpr RegistryKey kFirstHandle = 0x100;

constexpr uint32_t kDelete = 0x10000;
constexpr uint32_t kKeyWrite = 0x20006;

int32_t Code(uint32_t code) { return static_cast<int32_t>(code); }

bool IsStringType(uint32_t type) {
  return type == registry_type::kString || type == registry_type::kExpandString ||
         type == registry_type::kMultiString;
}

// The hive a predefined key names, by the low 32 bits of its value (all a
// 64-bit Windows looks at).
bool PredefinedHive(RegistryKey key, Hive* hive, bool* performance_data) {
  *performance_data = false;
  switch (static_cast<uint32_t>(key)) {
    case 0x80000000u: *hive = Hive::kClassesRoot; return true;
    case 0x80000001u: *hive = Hive::kCurrentUser; return true;
    case 0x80000002u: *hive = Hive::kLocalMachine; return true;
    case 0x80000003u: *hive = Hive::kUsers; return true;
    case 0x80000004u: *performance_data = true; return true;
    case 0x80000005u: *hive = Hive::kCurrentConfig; return true;
    case 0x80000006u: *hive = Hive::kDynData; return true;
    default: return false;
  }
}

}  // namespace

HostRegistry::HostRegistry(std::string registry_path, const MachineConfig& config,
                           const HostSystem& system)
    : os_name_(config.os_name),
      nt_family_(config.nt_family()),
      config_(config),
      system_(system),
      store_(std::move(registry_path)),
      next_handle_(kFirstHandle) {}

bool HostRegistry::Open(std::string* error) {
  std::string message;
  const uint32_t code = Load(&message);
  if (code == kSuccess) return true;
  if (error != nullptr) *error = store_.path() + ": " + message;
  return false;
}

uint32_t HostRegistry::Load(std::string* error) {
  std::string bytes;
  const uint32_t read = store_.Read(&bytes);
  if (read == win32_error::kFileNotFound) {
    broken_.clear();
    Adopt(DefaultRegistryTree(config_));
    return kSuccess;
  }
  if (read != kSuccess) {
    *error = "cannot be read (error " + std::to_string(read) + ")";
    return read;
  }
  RegistryTree tree;
  std::string message;
  if (!ParseRegistryFile(bytes, &tree, &message)) {
    broken_ = message;
    *error = message + "; repair or remove the file";
    return kBadDatabase;
  }
  broken_.clear();
  Adopt(std::move(tree));
  return kSuccess;
}

void HostRegistry::Adopt(RegistryTree tree) {
  // Each open handle follows its key by path into the new tree; a key the
  // new tree lacks was deleted behind the handle's back. Volatile keys are
  // in no file, so they end here, as at a restart.
  std::vector<std::pair<Handle*, std::shared_ptr<RegistryNode>>> moves;
  for (auto entry = handles_.begin(); entry != handles_.end(); ++entry) {
    Handle& handle = entry->second;
    RegistryNode* node = handle.node.get();
    const RegistryNode* root = node->Root();
    RegistryNode* found = nullptr;
    for (int i = 0; root != nullptr && i < kHiveCount; ++i) {
      if (tree_.roots[i].get() == root) {
        found = tree.Find(static_cast<Hive>(i), node->PathFromRoot());
      }
    }
    moves.emplace_back(&handle, found != nullptr ? found->shared_from_this() : nullptr);
  }
  for (auto& [handle, node] : moves) {
    if (node != nullptr) {
      handle->node = node;
    } else if (!handle->node->deleted()) {
      handle->node->MarkDeleted();
    }
  }
  tree_ = std::move(tree);
}

uint32_t HostRegistry::Refresh() {
  if (!store_.ChangedOnDisk()) return broken_.empty() ? kSuccess : kBadDatabase;
  std::string ignored;
  return Load(&ignored);
}

uint32_t HostRegistry::Commit() {
  const uint32_t code = store_.Write(FormatRegistryFile(tree_, !nt_family_));
  if (code == kSuccess) return kSuccess;
  // What stands on disk is the truth; the change is undone by reading it.
  std::string ignored;
  Load(&ignored);
  return code;
}

uint32_t HostRegistry::BadHandle() const {
  return nt_family_ ? win32_error::kInvalidHandle : kBadKey;
}

uint32_t HostRegistry::Resolve(RegistryKey key, Target* target) {
  Hive hive;
  bool performance_data = false;
  const bool predefined = PredefinedHive(key, &hive, &performance_data);
  if (predefined && (performance_data || (hive == Hive::kDynData && nt_family_))) {
    return BadHandle();
  }
  if (!predefined && handles_.find(key) == handles_.end()) return BadHandle();
  const uint32_t refreshed = Refresh();
  if (refreshed != kSuccess) return refreshed;
  if (predefined) {
    target->node = &tree_.root(hive);
    target->access = registry_access::kAllAccess;
    return kSuccess;
  }
  const Handle& handle = handles_.at(key);
  if (handle.node->deleted()) return kKeyDeleted;
  target->node = handle.node.get();
  target->access = handle.access;
  return kSuccess;
}

uint32_t HostRegistry::SplitPath(const char* sub_key, std::vector<std::string>* names) const {
  names->clear();
  const std::string_view path = sub_key == nullptr ? "" : sub_key;
  if (nt_family_ && !path.empty() && path.front() == '\\') return kBadPathname;
  for (size_t start = 0; start <= path.size();) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view name = path.substr(start, end - start);
    if (name.size() > kMaxKeyName) return win32_error::kInvalidParameter;
    if (!name.empty()) names->emplace_back(name);
    start = end + 1;
  }
  return kSuccess;
}

uint32_t HostRegistry::CheckValueName(const char* value_name) const {
  const size_t length = value_name == nullptr ? 0 : std::strlen(value_name);
  if (!nt_family_) return length > 255 ? win32_error::kInvalidParameter : kSuccess;
  if (os_name_ == "nt4" || os_name_ == "win2000") {
    return length > 260 ? win32_error::kMoreData : kSuccess;
  }
  return length > 16383 ? win32_error::kInvalidParameter : kSuccess;
}

uint32_t HostRegistry::GrantedAccess(uint32_t options, uint32_t access, uint32_t* granted) const {
  *granted = access;
  if (!nt_family_ || (options & registry_option::kBackupRestore) == 0) return kSuccess;
  *granted = 0;
  if (system_.IsPrivilegeEnabled("SeBackupPrivilege")) *granted |= registry_access::kRead;
  if (system_.IsPrivilegeEnabled("SeRestorePrivilege")) *granted |= kKeyWrite | kDelete;
  return *granted != 0 ? kSuccess : win32_error::kAccessDenied;
}

bool HostRegistry::Allowed(const Target& target, uint32_t right) const {
  return !nt_family_ || (target.access & right) == right;
}

RegistryKey HostRegistry::NewHandle(RegistryNode* node, uint32_t access) {
  const RegistryKey value = next_handle_;
  next_handle_ += 4;
  handles_[value] = Handle{node->shared_from_this(), access};
  return value;
}

uint32_t HostRegistry::Locate(RegistryKey key, const char* sub_key, uint32_t options,
                              uint32_t access, Target* target, std::vector<std::string>* names,
                              uint32_t* granted) {
  uint32_t code = Resolve(key, target);
  if (code != kSuccess) return code;
  code = SplitPath(sub_key, names);
  if (code != kSuccess) return code;
  return GrantedAccess(options, access, granted);
}

int32_t HostRegistry::RegCreateKeyExA(RegistryKey key, const char* sub_key, uint32_t options,
                                      uint32_t access, RegistryKey* result) {
  if (result == nullptr || sub_key == nullptr) return Code(win32_error::kInvalidParameter);
  *result = registry_key::kNone;
  Target target;
  std::vector<std::string> names;
  uint32_t granted = 0;
  uint32_t code = Locate(key, sub_key, options, access, &target, &names, &granted);
  if (code != kSuccess) return Code(code);
  const bool make_volatile = nt_family_ && (options & registry_option::kVolatile) != 0;

  // Checked before anything is made, so that a refused call leaves no keys.
  RegistryNode* node = target.node;
  size_t existing = 0;
  for (; existing < names.size(); ++existing) {
    RegistryNode* next = node->FindSubkey(names[existing]);
    if (next == nullptr) break;
    node = next;
  }
  if (existing < names.size() && node->is_volatile() && !make_volatile) {
    return kChildMustBeVolatile;
  }
  bool changed = false;
  for (size_t i = existing; i < names.size(); ++i) {
    bool created = false;
    node = node->AddSubkey(names[i], &created);
    node->set_volatile(make_volatile || node->is_volatile());
    changed = true;
  }
  if (changed) {
    code = Commit();
    if (code != kSuccess) return Code(code);
  }
  *result = NewHandle(node, granted);
  return kSuccess;
}

int32_t HostRegistry::RegOpenKeyExA(RegistryKey key, const char* sub_key, uint32_t options,
                                    uint32_t access, RegistryKey* result) {
  if (result == nullptr) return Code(win32_error::kInvalidParameter);
  Target target;
  std::vector<std::string> names;
  uint32_t granted = 0;
  uint32_t code = Locate(key, sub_key, options, access, &target, &names, &granted);
  if (code != kSuccess) return Code(code);
  Hive hive;
  bool performance_data = false;
  if ((sub_key == nullptr || *sub_key == '\0') && PredefinedHive(key, &hive, &performance_data)) {
    // A predefined key opened with no sub key is handed back as it is.
    *result = key;
    return kSuccess;
  }
  RegistryNode* node = target.node;
  for (const std::string& name : names) {
    node = node->FindSubkey(name);
    if (node == nullptr) {
      *result = registry_key::kNone;
      return Code(win32_error::kFileNotFound);
    }
  }
  *result = NewHandle(node, granted);
  return kSuccess;
}

uint32_t HostRegistry::ValueToChange(RegistryKey key, const char* value_name, Target* target) {
  const uint32_t code = Resolve(key, target);
  if (code != kSuccess) return code;
  if (!Allowed(*target, registry_access::kSetValue)) return win32_error::kAccessDenied;
  return CheckValueName(value_name);
}

int32_t HostRegistry::RegSetValueExA(RegistryKey key, const char* value_name, uint32_t type,
                                     const uint8_t* data, uint32_t size) {
  Target target;
  const uint32_t code = ValueToChange(key, value_name, &target);
  if (code != kSuccess) return Code(code);
  if (data == nullptr && size > 0) return nt_family_ ? kNoAccess : Code(win32_error::kInvalidParameter);
  if (data == nullptr && !nt_family_ && type == registry_type::kString) {
    return Code(win32_error::kInvalidParameter);
  }
  std::string bytes = data == nullptr ? std::string()
                                      : std::string(reinterpret_cast<const char*>(data), size);
  target.node->SetValue(value_name == nullptr ? "" : value_name, type, std::move(bytes));
  return Code(Commit());
}

int32_t HostRegistry::RegQueryValueExA(RegistryKey key, const char* value_name, uint32_t* type,
                                       uint8_t* data, uint32_t* size) {
  Target target;
  uint32_t code = Resolve(key, &target);
  if (code != kSuccess) return Code(code);
  if (!Allowed(target, registry_access::kQueryValue)) return Code(win32_error::kAccessDenied);
  if (data != nullptr && size == nullptr) return Code(win32_error::kInvalidParameter);
  code = CheckValueName(value_name);
  if (code != kSuccess) return Code(code);
  const RegistryValue* value = target.node->FindValue(value_name == nullptr ? "" : value_name);
  if (value == nullptr) {
    // Only a size query learns that there is nothing (size 0).
    if (data == nullptr && size != nullptr) *size = 0;
    return Code(win32_error::kFileNotFound);
  }
  if (type != nullptr) *type = value->type;
  const uint32_t stored = static_cast<uint32_t>(value->data.size());
  if (data != nullptr) {
    if (*size < stored) {
      *size = stored;
      return Code(win32_error::kMoreData);
    }
    if (stored > 0) std::memcpy(data, value->data.data(), stored);
    if (IsStringType(value->type) && *size > stored &&
        (stored == 0 || value->data.back() != '\0')) {
      data[stored] = 0;
    }
  }
  if (size != nullptr) *size = stored;
  return kSuccess;
}

int32_t HostRegistry::RegDeleteValueA(RegistryKey key, const char* value_name) {
  Target target;
  const uint32_t code = ValueToChange(key, value_name, &target);
  if (code != kSuccess) return Code(code);
  if (!target.node->RemoveValue(value_name == nullptr ? "" : value_name)) {
    return Code(win32_error::kFileNotFound);
  }
  return Code(Commit());
}

int32_t HostRegistry::RegDeleteKeyA(RegistryKey key, const char* sub_key) {
  Target target;
  uint32_t code = Resolve(key, &target);
  if (code != kSuccess) return Code(code);
  if (sub_key == nullptr) {
    if (!nt_family_) return kBadKey;
    if (os_name_ == "winxp") return Code(win32_error::kInvalidParameter);
  }
  std::vector<std::string> names;
  code = SplitPath(sub_key, &names);
  if (code != kSuccess) return Code(code);
  RegistryNode* node = target.node;
  for (const std::string& name : names) {
    node = node->FindSubkey(name);
    if (node == nullptr) return Code(win32_error::kFileNotFound);
  }
  if (node->parent() == nullptr) return Code(win32_error::kAccessDenied);  // a hive itself
  if (nt_family_ && !node->subkeys().empty()) return Code(win32_error::kAccessDenied);
  const bool stored = !node->is_volatile();
  node->parent()->RemoveSubkey(node);
  return stored ? Code(Commit()) : kSuccess;
}

int32_t HostRegistry::RegEnumKeyA(RegistryKey key, uint32_t index, char* name, uint32_t size) {
  Target target;
  const uint32_t code = Resolve(key, &target);
  if (code != kSuccess) return Code(code);
  if (!Allowed(target, registry_access::kEnumerateSubKeys)) {
    return Code(win32_error::kAccessDenied);
  }
  const auto& subkeys = target.node->subkeys();
  if (index >= subkeys.size()) return Code(win32_error::kNoMoreItems);
  if (name == nullptr) return Code(win32_error::kInvalidParameter);
  const std::string& found = subkeys[index]->name();
  if (found.size() >= size) return Code(win32_error::kMoreData);
  std::memcpy(name, found.data(), found.size());
  name[found.size()] = '\0';
  return kSuccess;
}

int32_t HostRegistry::RegCloseKey(RegistryKey key) {
  Hive hive;
  bool performance_data = false;
  if (PredefinedHive(key, &hive, &performance_data)) {
    if (performance_data && !nt_family_) return kBadKey;
    return kSuccess;
  }
  if (handles_.erase(key) == 1) return kSuccess;
  // The 9x family takes a second close of a handle it issued without a word.
  const bool issued = key >= kFirstHandle && key < next_handle_ && (key - kFirstHandle) % 4 == 0;
  if (!nt_family_ && issued) return kSuccess;
  return Code(BadHandle());
}

int32_t HostRegistry::RegFlushKey(RegistryKey key) {
  // Every change is on disk already: a flush only checks its key.
  Target target;
  return Code(Resolve(key, &target));
}

}  // namespace velsetup::host
