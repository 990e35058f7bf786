// What the registry gets from the lines of a registry edit (their grammar,
// ParseEditLine, is in engine/script_lines.h): its keys and the data forms.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/script_lines.h"
#include "platform/registry_api.h"

namespace velsetup {

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
