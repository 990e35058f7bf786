// The lines of a multi-line registry edit: "action,root,key,name,type,data",
// and the data forms the registry gets from them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry_api.h"

namespace velsetup {

struct RegistryEditLine {
  int32_t action = 0;      // 1 set a value, 2 delete a key tree, 3 delete a value
  std::string root;        // HKLM, HKCU, ...
  std::string key;
  std::string value_name;
  int32_t type_code = 0;   // as RegistryTypeOf takes it
  std::string data;        // everything after the fifth comma
};

// Which comma a line lacks; kComplete when it has all five.
enum class EditLineGap { kComplete, kRoot, kKey, kValueName, kDataType, kData };

// Cuts a line into its six fields. After each comma the whole rest of the
// line loses its leading and trailing blanks before the next comma is looked
// for, so a blank before a comma stays in its field.
EditLineGap ParseEditLine(std::string_view line, RegistryEditLine* fields);

// The predefined key of a root abbreviation (case-blind); false for none.
bool RootKeyOf(std::string_view abbreviation, RegistryKey* key);
// The predefined key of a full hive name (case-blind); HKEY_LOCAL_MACHINE
// for anything else, the empty name included.
RegistryKey HiveKeyOf(std::string_view hive_name);

// The registry type of a script's type code: 1 binary, 2 DWORD, 3 expand
// string, 4 multi string, anything else a string.
uint32_t RegistryTypeOf(int32_t type_code);

// The bytes an edit line stores: hexadecimal pairs for binary data, one
// 32-bit value in the machine's byte order for a DWORD (from the last eight
// digits, an odd count padded with a 0), and the text with one zero after it
// otherwise. A character that is no hexadecimal digit counts as 0.
std::vector<uint8_t> EditLineData(int32_t type_code, std::string_view text);

// The bytes the single-value commands store: the text itself for binary and
// DWORD types, the text and one zero otherwise.
std::vector<uint8_t> SingleValueData(int32_t type_code, std::string_view text);

}  // namespace velsetup
