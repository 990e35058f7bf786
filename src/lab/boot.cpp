#include "lab/boot.h"


#include <algorithm>

#include "lab/host_tree.h"
#include "lab/shell_link.h"
#include "lab/snapshot.h"
#include "platform/host/processes/windows_command_line.h"
#include "platform/host/registry/registry_file.h"

namespace velsetup::lab {

namespace {

constexpr const char* kVersionKey[] = {"Software", "Microsoft", "Windows", "CurrentVersion"};
constexpr uint32_t kRegSz = 1, kRegExpandSz = 2;

host::RegistryNode* FindKey(host::RegistryTree& tree, host::Hive hive, const char* last) {
  std::vector<std::string> path(std::begin(kVersionKey), std::end(kVersionKey));
  path.push_back(last);
  return tree.Find(hive, path);
}

std::string KeyName(host::Hive hive, const char* last) {
  std::string name = host::HiveName(hive);
  for (const char* part : kVersionKey) name += std::string("\\") + part;
  return name + "\\" + last;
}

std::string TextOf(const host::RegistryValue& value) {
  std::string text = value.data;
  const size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  return text;
}

bool ReadTree(const BootMachine& machine, host::RegistryTree* tree, std::string* error) {
  std::string bytes;
  if (!ReadHostFile(machine.registry_file, &bytes)) {
    *error = "the registry (registry.reg) cannot be read";
    return false;
  }
  if (!host::ParseRegistryFile(bytes, tree, error)) {
    *error = "the registry (registry.reg) does not parse: " + *error;
    return false;
  }
  return true;
}

bool WriteTree(const BootMachine& machine, const host::RegistryTree& tree) {
  std::string error;
  return WriteHostFile(machine.registry_file,
                       host::FormatRegistryFile(tree, !machine.nt_family), &error);
}

void AddStart(const std::string& started_by, const std::string& command_line,
              const std::string& module_path, BootResult* result, BootStart** added) {
  std::string program;
  std::vector<std::string> arguments;
  SplitCommand(command_line, module_path, &program, &arguments);
  if (!IsTool(program, module_path)) return;
  BootStart start;
  start.started_by = started_by;
  start.command_line = command_line;
  start.program = program;
  start.arguments = std::move(arguments);
  result->starts.push_back(std::move(start));
  if (added != nullptr) *added = &result->starts.back();
}

// The values of a Run or RunOnce key in the order they were set, which is
// the order the simulated registry keeps and lists them in.
void TakeValues(host::RegistryTree& tree, host::Hive hive, const char* last, bool once,
                const BootMachine& machine, BootResult* result, bool* changed) {
  host::RegistryNode* key = FindKey(tree, hive, last);
  if (key == nullptr) return;
  const std::string key_name = KeyName(hive, last);
  const std::vector<host::RegistryValue> values = key->values();
  for (const host::RegistryValue& value : values) {
    if (value.type != kRegSz && value.type != kRegExpandSz) continue;
    const std::string name = value.name.empty() ? "@" : value.name;
    const bool after = once && !value.name.empty() && value.name[0] == '!';
    if (once && !after) {
      key->RemoveValue(value.name);
      *changed = true;
    }
    BootStart* added = nullptr;
    AddStart(std::string(once ? "RunOnce" : "Run") + " value " + key_name + "\\" + name,
             TextOf(value), machine.module_path, result, &added);
    if (added != nullptr && after) {
      added->delete_after_key = key_name;
      added->delete_after_value = value.name;
    } else if (after) {
      key->RemoveValue(value.name);  // a program that is not the tool has run
      *changed = true;
    }
  }
}

void TakeShortcuts(const StartupFolder& folder, const std::string& module_path,
                   BootResult* result) {
  if (folder.host_path.empty()) return;
  std::vector<std::string> names;
  if (!ListDirectory(folder.host_path, &names)) return;
  names.erase(std::remove_if(names.begin(), names.end(),
                             [](const std::string& name) {
                               return name.size() <= 4 ||
                                      FoldPath(name.substr(name.size() - 4)) != ".LNK";
                             }),
              names.end());
  // The shell starts a folder's shortcuts in no documented order; by name
  // keeps the lab's runs the same from one run to the next.
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return FoldPath(a) < FoldPath(b); });
  for (const std::string& name : names) {
    const std::string windows_path = folder.windows_path + "\\" + name;
    std::string bytes;
    ShellLink link;
    std::string error;
    if (!ReadHostFile(folder.host_path + "/" + name, &bytes)) continue;
    if (!ParseShellLink(bytes, &link, &error)) {
      result->findings.push_back("the Startup shortcut " + windows_path +
                                 " is damaged and starts nothing: " + error);
      continue;
    }
    const std::string target = LinkTarget(link, folder.windows_path);
    if (!IsTool(target, module_path)) continue;
    BootStart start;
    start.started_by = "Startup shortcut " + windows_path;
    start.command_line = target + (link.arguments.empty() ? "" : " " + link.arguments);
    start.program = target;
    start.arguments = host::SplitArguments("\"" + target + "\" " + link.arguments);
    result->starts.push_back(std::move(start));
  }
}

}  // namespace

bool IsTool(const std::string& program, const std::string& module_path) {
  if (program.empty()) return false;
  if (FoldPath(program) == FoldPath(module_path)) return true;
  const size_t cut = program.find_last_of("\\/:");
  const std::string name = cut == std::string::npos ? program : program.substr(cut + 1);
  return FoldPath(name) == "VELSETUP.EXE";
}

void SplitCommand(const std::string& command_line, const std::string& module_path,
                  std::string* program, std::vector<std::string>* arguments) {
  program->clear();
  arguments->clear();
  // Of the names CreateProcessA would try, the one that is the tool, so that
  // "C:\KIT\velsetup.exe C:\KIT\setup.ini" is found as the first try finds it.
  const std::vector<std::string> candidates = host::ProgramCandidates(command_line);
  if (candidates.empty()) return;
  *program = candidates.front();
  for (const std::string& candidate : candidates) {
    if (IsTool(candidate, module_path)) {
      *program = candidate;
      break;
    }
  }
  *arguments = host::SplitArguments(command_line);
}

BootResult Boot(const BootMachine& machine) {
  BootResult result;
  host::RegistryTree tree;
  std::string error;
  bool changed = false;
  const bool registry = ReadTree(machine, &tree, &error);
  if (!registry) result.findings.push_back(error + "; no Run or RunOnce value could start");
  if (registry) {
    TakeValues(tree, host::Hive::kLocalMachine, "RunOnce", true, machine, &result, &changed);
    TakeValues(tree, host::Hive::kLocalMachine, "Run", false, machine, &result, &changed);
    TakeValues(tree, host::Hive::kCurrentUser, "Run", false, machine, &result, &changed);
  }
  for (const StartupFolder& folder : machine.startup_folders) {
    TakeShortcuts(folder, machine.module_path, &result);
  }
  if (registry) {
    TakeValues(tree, host::Hive::kCurrentUser, "RunOnce", true, machine, &result, &changed);
    if (changed && !WriteTree(machine, tree)) {
      result.findings.push_back("the registry (registry.reg) could not be written at boot");
    }
  }
  return result;
}

bool DeleteRegistryValue(const BootMachine& machine, const std::string& key,
                         const std::string& value) {
  host::RegistryTree tree;
  std::string error;
  if (!ReadTree(machine, &tree, &error)) return false;
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= key.size()) {
    size_t end = key.find('\\', start);
    if (end == std::string::npos) end = key.size();
    parts.push_back(key.substr(start, end - start));
    start = end + 1;
  }
  host::Hive hive;
  if (parts.empty() || !host::HiveFromName(parts.front(), &hive)) return false;
  parts.erase(parts.begin());
  host::RegistryNode* node = tree.Find(hive, parts);
  if (node == nullptr || !node->RemoveValue(value)) return true;
  return WriteTree(machine, tree);
}

}  // namespace velsetup::lab
