// The simulated machine's registry in memory: hives of keys holding values.
//
// Key and value names are compared case-blind and keep the case they were
// created with. Subkeys are kept in case-blind name order, the order the NT
// family enumerates them in; values keep the order they were first set in.
// A deleted key stays alive while a handle still refers to it, marked as
// deleted, so that calls on that handle can fail the way Windows fails them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velsetup::host {

// The stored hives, in the order a registry export lists them.
enum class Hive { kClassesRoot, kCurrentUser, kLocalMachine, kUsers, kCurrentConfig, kDynData };
constexpr int kHiveCount = 6;

// "HKEY_LOCAL_MACHINE" for Hive::kLocalMachine.
const char* HiveName(Hive hive);
// The hive of a full hive name, case-blind; false for any other text.
bool HiveFromName(std::string_view name, Hive* hive);

// A key or value name folded for comparison (ASCII letters only, as the
// simulation folds every name).
std::string FoldRegistryName(std::string_view name);

struct RegistryValue {
  std::string name;  // empty: the key's default value
  uint32_t type = 0;
  std::string data;  // the bytes as stored
};

class RegistryNode : public std::enable_shared_from_this<RegistryNode> {
 public:
  explicit RegistryNode(std::string name) : name_(std::move(name)) {}

  const std::string& name() const { return name_; }
  RegistryNode* parent() const { return parent_; }
  bool deleted() const { return deleted_; }
  bool is_volatile() const { return volatile_; }
  void set_volatile(bool value) { volatile_ = value; }

  const std::vector<std::shared_ptr<RegistryNode>>& subkeys() const { return subkeys_; }
  RegistryNode* FindSubkey(std::string_view name) const;
  // The subkey `name`, created when missing; `*created` tells which.
  RegistryNode* AddSubkey(std::string_view name, bool* created);
  // Detaches the subkey and marks it and everything below it deleted.
  void RemoveSubkey(RegistryNode* subkey);

  const std::vector<RegistryValue>& values() const { return values_; }
  const RegistryValue* FindValue(std::string_view name) const;
  // Replaces the data and type of an existing value (its name keeps the
  // case it was first given) or appends a new one.
  void SetValue(std::string_view name, uint32_t type, std::string data);
  bool RemoveValue(std::string_view name);

  // The names from the hive's root down to this key (empty for a root).
  std::vector<std::string> PathFromRoot() const;
  // The root this key hangs from (itself for a root); null once deleted.
  const RegistryNode* Root() const;

  // Marks this key and everything below it deleted and cuts it loose.
  void MarkDeleted();

 private:
  std::string name_;
  std::string folded_;
  RegistryNode* parent_ = nullptr;
  bool deleted_ = false;
  bool volatile_ = false;
  std::vector<std::shared_ptr<RegistryNode>> subkeys_;
  std::vector<RegistryValue> values_;
};

// The stored hives of one machine; each root is named after its hive.
struct RegistryTree {
  RegistryTree();
  std::shared_ptr<RegistryNode> roots[kHiveCount];

  RegistryNode& root(Hive hive) { return *roots[static_cast<int>(hive)]; }
  const RegistryNode& root(Hive hive) const { return *roots[static_cast<int>(hive)]; }
  // The key at `path` below `hive`'s root, or null.
  RegistryNode* Find(Hive hive, const std::vector<std::string>& path) const;
};

}  // namespace velsetup::host
