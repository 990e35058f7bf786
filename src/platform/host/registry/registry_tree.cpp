#include "platform/host/registry/registry_tree.h"

#include <algorithm>

#include "platform/host/files/windows_path.h"

namespace velsetup::host {

namespace {

constexpr const char* kHiveNames[kHiveCount] = {
    "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE",
    "HKEY_USERS",        "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA",
};

}  // namespace

const char* HiveName(Hive hive) { return kHiveNames[static_cast<int>(hive)]; }

bool HiveFromName(std::string_view name, Hive* hive) {
  const std::string folded = FoldRegistryName(name);
  for (int i = 0; i < kHiveCount; ++i) {
    if (folded == FoldRegistryName(kHiveNames[i])) {
      *hive = static_cast<Hive>(i);
      return true;
    }
  }
  return false;
}

std::string FoldRegistryName(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) c = FoldCase(c);
  return folded;
}

RegistryNode* RegistryNode::FindSubkey(std::string_view name) const {
  const std::string folded = FoldRegistryName(name);
  const auto found =
      std::lower_bound(subkeys_.begin(), subkeys_.end(), folded,
                       [](const std::shared_ptr<RegistryNode>& node, const std::string& key) {
                         return node->folded_ < key;
                       });
  return found != subkeys_.end() && (*found)->folded_ == folded ? found->get() : nullptr;
}

RegistryNode* RegistryNode::AddSubkey(std::string_view name, bool* created) {
  const std::string folded = FoldRegistryName(name);
  const auto found =
      std::lower_bound(subkeys_.begin(), subkeys_.end(), folded,
                       [](const std::shared_ptr<RegistryNode>& node, const std::string& key) {
                         return node->folded_ < key;
                       });
  if (found != subkeys_.end() && (*found)->folded_ == folded) {
    *created = false;
    return found->get();
  }
  auto node = std::make_shared<RegistryNode>(std::string(name));
  node->folded_ = folded;
  node->parent_ = this;
  node->volatile_ = volatile_;
  *created = true;
  return subkeys_.insert(found, std::move(node))->get();
}

void RegistryNode::RemoveSubkey(RegistryNode* subkey) {
  const auto found = std::find_if(
      subkeys_.begin(), subkeys_.end(),
      [subkey](const std::shared_ptr<RegistryNode>& node) { return node.get() == subkey; });
  if (found == subkeys_.end()) return;
  (*found)->MarkDeleted();
  subkeys_.erase(found);
}

void RegistryNode::MarkDeleted() {
  // A handle may outlive this key's parent, so the way up is cut here.
  deleted_ = true;
  parent_ = nullptr;
  for (const auto& subkey : subkeys_) subkey->MarkDeleted();
}

const RegistryValue* RegistryNode::FindValue(std::string_view name) const {
  const std::string folded = FoldRegistryName(name);
  for (const RegistryValue& value : values_) {
    if (FoldRegistryName(value.name) == folded) return &value;
  }
  return nullptr;
}

void RegistryNode::SetValue(std::string_view name, uint32_t type, std::string data) {
  const std::string folded = FoldRegistryName(name);
  for (RegistryValue& value : values_) {
    if (FoldRegistryName(value.name) == folded) {
      value.type = type;
      value.data = std::move(data);
      return;
    }
  }
  values_.push_back(RegistryValue{std::string(name), type, std::move(data)});
}

bool RegistryNode::RemoveValue(std::string_view name) {
  const std::string folded = FoldRegistryName(name);
  for (auto it = values_.begin(); it != values_.end(); ++it) {
    if (FoldRegistryName(it->name) == folded) {
      values_.erase(it);
      return true;
    }
  }
  return false;
}

std::vector<std::string> RegistryNode::PathFromRoot() const {
  std::vector<std::string> path;
  for (const RegistryNode* node = this; node->parent_ != nullptr; node = node->parent_) {
    path.push_back(node->name_);
  }
  std::reverse(path.begin(), path.end());
  return path;
}

const RegistryNode* RegistryNode::Root() const {
  if (deleted_) return nullptr;
  const RegistryNode* node = this;
  while (node->parent_ != nullptr) node = node->parent_;
  return node;
}

RegistryTree::RegistryTree() {
  for (int i = 0; i < kHiveCount; ++i) roots[i] = std::make_shared<RegistryNode>(kHiveNames[i]);
}

RegistryNode* RegistryTree::Find(Hive hive, const std::vector<std::string>& path) const {
  RegistryNode* node = roots[static_cast<int>(hive)].get();
  for (const std::string& name : path) {
    node = node->FindSubkey(name);
    if (node == nullptr) return nullptr;
  }
  return node;
}

}  // namespace velsetup::host
