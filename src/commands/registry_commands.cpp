#include "commands/registry_commands.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "commands/command_params.h"
#include "commands/registry_edit_line.h"
#include "engine/install_log.h"
#include "engine/run_state.h"
#include "engine/script_file.h"
#include "engine/text_format.h"
#include "engine/section_reader.h"
#include "services/text_helpers.h"
#include "services/variables.h"

namespace velsetup {

namespace {

constexpr size_t kSingleValueText = 511;
constexpr size_t kEditLineText = 259;
constexpr size_t kSubKeyName = 261;

std::string ErrorDetails(int32_t code) {
  std::string text;
  GetErrorCodeText(&text, static_cast<uint32_t>(code));
  return text;
}

void LogFailure(std::string_view prefix, std::string_view subject, int32_t code) {
  WriteLog(prefix, subject);
  WriteLog("ERROR details: ", ErrorDetails(code));
}

// A key path that names the root itself: nothing, or backslashes only.
bool NamesTheRoot(std::string_view path) {
  return path.find_first_not_of('\\') == std::string_view::npos;
}

bool SetRegistryValue(RegistryKey key, const std::string& name, int32_t type_code,
                       const std::vector<uint8_t>& bytes, int32_t* error) {
  *error = Registry().RegSetValueExA(key, name.c_str(), RegistryTypeOf(type_code),
                                     bytes.empty() ? nullptr : bytes.data(),
                                     static_cast<uint32_t>(bytes.size()));
  return *error == 0;
}

struct SingleValue {
  std::string hive, key, value, data;
  int32_t type_code = 0;
};

// The five keys, each refused when longer than the command takes: a cut key
// path or value name would name another one.
std::optional<SingleValue> ReadSingleValue() {
  const char* section = Run().cmd_param0.c_str();
  SingleValue v;
  v.hive = ReadScriptString(section, "RegHive", "", kSingleValueText + 2);
  v.key = ReadScriptString(section, "RegKey", "", kSingleValueText + 2);
  v.value = ReadScriptString(section, "RegValue", "", kSingleValueText + 2);
  v.data = ReadScriptString(section, "RegData", "", kSingleValueText + 2);
  v.type_code = ReadScriptInt(section, "RegDataType", 0);
  for (const std::string* text : {&v.hive, &v.key, &v.value, &v.data}) {
    if (!TextFits(*text, kSingleValueText, "registry command", "text")) return std::nullopt;
  }
  v.data = ExpandedText(v.data, kSingleValueText);
  return v;
}

}  // namespace

uint32_t Cmd03_04_12_SingleRegValue() {
  const std::optional<SingleValue> v = ReadSingleValue();
  if (!v) return 0;
  const uint32_t command = Run().current_cmd_number;
  const RegistryKey hive = HiveKeyOf(v->hive);
  const std::string description =
      Format("%s\\%s\\%s:<%s>", v->hive.c_str(), v->key.c_str(), v->value.c_str(),
             v->data.c_str());
  if (command == 12 && NamesTheRoot(v->key)) {
    // RegDeleteKeyA on the hive itself could take every key of it with it.
    WriteLog("ERROR-=-", Format("refusing to delete the whole hive %s: RegKey is empty",
                                v->hive.c_str()));
    return 0;
  }
  RegistryKey key = registry_key::kNone;
  const int32_t opened = Registry().RegCreateKeyExA(hive, v->key.c_str(),
                                                    registry_option::kNonVolatile,
                                                    registry_access::kAllAccess, &key);
  if (opened != 0) {
    LogFailure("ERROR opening key: ", description, opened);
    return 0;
  }
  if (command == 3) {
    int32_t error = 0;
    if (SetRegistryValue(key, v->value, v->type_code, SingleValueData(v->type_code, v->data),
                          &error)) {
      WriteLog("...adding key: ", description);
    } else {
      LogFailure("ERROR adding key: ", description, error);
    }
  } else if (command == 4) {
    WriteLog("...deleting Value: ", description);
    if (Registry().RegDeleteValueA(key, v->value.c_str()) != 0) {
      WriteLog("...ERROR deleting Value", " ");
    }
  } else if (command == 12) {
    Registry().RegCloseKey(key);
    key = registry_key::kNone;
    WriteLog("...deleting Key: ", v->key);
    if (Registry().RegDeleteKeyA(hive, v->key.c_str()) != 0) {
      WriteLog("...ERROR deleting Key", " ");
    }
  }
  if (key != registry_key::kNone) Registry().RegCloseKey(key);
  return 0;
}

void RemoveRegKeyTree(RegistryKey hive, const std::string& path) {
  if (Registry().RegDeleteKeyA(hive, path.c_str()) == 0) return;
  RegistryKey key = registry_key::kNone;
  if (Registry().RegOpenKeyExA(hive, path.c_str(), 0, registry_access::kAllAccess, &key) == 0) {
    // Each removal renumbers the subkeys after it: the walk stays at an
    // index until the subkey there survives a removal, then steps past it.
    char name[kSubKeyName];
    for (uint32_t index = 0;
         Registry().RegEnumKeyA(key, index, name, sizeof name) == 0;) {
      const std::string subkey = name;
      RemoveRegKeyTree(hive, path + "\\" + subkey);
      if (Registry().RegEnumKeyA(key, index, name, sizeof name) == 0 && subkey == name) ++index;
    }
    Registry().RegCloseKey(key);
  }
  const int32_t deleted = Registry().RegDeleteKeyA(hive, path.c_str());
  if (deleted != 0) LogFailure("ERROR: error removing registry key->", path, deleted);
}

namespace {

// The two texts of a line that variables expand in, each within 259
// characters; false after a warning when one is longer.
bool ExpandLineTexts(RegistryEditLine* line) {
  for (std::string* text : {&line->data, &line->value_name}) {
    if (!TextFits(*text, kEditLineText, "CMD14_MultiRegEdit()", "field")) return false;
    *text = ExpandedText(*text, kEditLineText);
  }
  return true;
}

// The converted data as the size line shows it: binary forms up to their
// first zero byte.
std::string ShownData(int32_t type_code, const std::vector<uint8_t>& bytes,
                      const std::string& text, size_t* text_left) {
  if (type_code == 1 || type_code == 2) {
    *text_left = 0;
    std::string shown;
    for (uint8_t byte : bytes) {
      if (byte == 0) break;
      shown += static_cast<char>(byte);
    }
    return shown;
  }
  *text_left = text.size();
  return text;
}

// The roots a list changed, each once, in ascending order: a handful at most,
// so a sorted vector serves (and keeps the tree code of std::set, which the
// runtime library ships compiled for newer CPUs, out of the Windows program).
using ChangedRoots = std::vector<RegistryKey>;

void NoteChangedRoot(RegistryKey root, ChangedRoots* roots) {
  const auto place = std::lower_bound(roots->begin(), roots->end(), root);
  if (place == roots->end() || *place != root) roots->insert(place, root);
}

void CarryOutLine(RegistryEditLine line, ChangedRoots* changed_roots) {
  if (!ExpandLineTexts(&line)) return;
  RegistryKey root = registry_key::kLocalMachine;
  if (!RootKeyOf(line.root, &root)) {
    WriteLog("NOTICE:", "unable to determine root key, defaulting to -> HKEY_LOCAL_MACHINE");
  }
  const std::vector<uint8_t> bytes = EditLineData(line.type_code, line.data);
  size_t text_left = 0;
  const std::string shown = ShownData(line.type_code, bytes, line.data, &text_left);
  WriteLog("Size of Data is :", Format("iSize = %d  %s strlen=%d", static_cast<int>(bytes.size()),
                                       shown.c_str(), static_cast<int>(text_left)));
  if (line.action == 2 && NamesTheRoot(line.key)) {
    WriteLog("ERROR-=-", Format("refusing to remove the whole root key %s: the key path is empty",
                                line.root.c_str()));
    return;
  }

  RegistryKey key = registry_key::kNone;
  const int32_t opened = Registry().RegCreateKeyExA(root, line.key.c_str(),
                                                    registry_option::kBackupRestore,
                                                    registry_access::kAllAccess, &key);
  if (opened != 0) {
    LogFailure("ERROR opening key: ", line.key, opened);
    return;
  }
  NoteChangedRoot(root, changed_roots);
  int32_t error = 0;
  switch (line.action) {
    case 1:
      WriteLog("Execute  CMD>14 - 1:", " Add Key to registry");
      if (SetRegistryValue(key, line.value_name, line.type_code, bytes, &error)) {
        WriteLog("...adding key: ", line.value_name);
      } else {
        LogFailure("ERROR Setting Value: ", line.value_name, error);
      }
      break;
    case 2:
      WriteLog("Execute  CMD>14 - 2:", " Delete Key from registry");
      Registry().RegCloseKey(key);
      key = registry_key::kNone;
      RemoveRegKeyTree(root, line.key);
      break;
    case 3:
      WriteLog("Execute  CMD>14 - 3:", " Delete Value from registry");
      error = Registry().RegDeleteValueA(key, line.value_name.c_str());
      if (error == 0) {
        WriteLog("...removing value: ", line.value_name);
      } else {
        LogFailure("ERROR Removing Value: ", line.value_name, error);
      }
      break;
    default:
      WriteLog("ERROR:undefined action ->", std::to_string(line.action));
      break;
  }
  if (key != registry_key::kNone) Registry().RegCloseKey(key);
}

}  // namespace

uint32_t Cmd14_MultiRegEdit() {
  const std::optional<std::string> block = ReadDataSection("Missing the Data section");
  if (!block) return 2;
  static const char* const kGapNotices[] = {
      "", "NOTICE:Root Key not defined in line ->", "NOTICE:Key not defined in line ->",
      "NOTICE:Value name not defined in line ->", "NOTICE:Data type not defined in line ->",
      "NOTICE:Data not defined in line ->"};
  ChangedRoots changed_roots;
  for (std::string_view text : BlockLines(*block)) {
    RegistryEditLine line;
    const EditLineGap gap = ParseEditLine(text, &line);
    if (gap != EditLineGap::kComplete) {
      WriteLog(kGapNotices[static_cast<int>(gap)], text);
      break;
    }
    CarryOutLine(std::move(line), &changed_roots);
  }
  // Every change is on its way to disk once the keys that were changed have
  // been flushed; nothing later in the run depends on it.
  for (RegistryKey root : changed_roots) Registry().RegFlushKey(root);
  return 0;
}

}  // namespace velsetup
