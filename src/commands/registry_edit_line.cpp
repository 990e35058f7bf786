#include "commands/registry_edit_line.h"

#include "engine/text_cleaning.h"
#include "engine/text_format.h"

namespace velsetup {

namespace {

uint8_t HexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<uint8_t>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<uint8_t>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<uint8_t>(c - 'a' + 10);
  return 0;
}

std::vector<uint8_t> TextWithZero(std::string_view text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

}  // namespace

bool RootKeyOf(std::string_view abbreviation, RegistryKey* key) {
  static const struct {
    const char* name;
    RegistryKey key;
  } kRoots[] = {{"HKCR", registry_key::kClassesRoot},   {"HKCC", registry_key::kCurrentConfig},
                {"HKCU", registry_key::kCurrentUser},   {"HKLM", registry_key::kLocalMachine},
                {"HKU", registry_key::kUsers},          {"HKPD", registry_key::kPerformanceData},
                {"HKDD", registry_key::kDynData}};
  for (const auto& root : kRoots) {
    if (EqualsIgnoreCase(abbreviation, root.name)) {
      *key = root.key;
      return true;
    }
  }
  return false;
}

RegistryKey HiveKeyOf(std::string_view hive_name) {
  static const struct {
    const char* name;
    RegistryKey key;
  } kHives[] = {{"HKEY_CLASSES_ROOT", registry_key::kClassesRoot},
                {"HKEY_CURRENT_CONFIG", registry_key::kCurrentConfig},
                {"HKEY_CURRENT_USER", registry_key::kCurrentUser},
                {"HKEY_LOCAL_MACHINE", registry_key::kLocalMachine},
                {"HKEY_USERS", registry_key::kUsers},
                {"HKEY_PERFORMANCE_DATA", registry_key::kPerformanceData},
                {"HKEY_DYN_DATA", registry_key::kDynData}};
  for (const auto& hive : kHives) {
    if (EqualsIgnoreCase(hive_name, hive.name)) return hive.key;
  }
  return registry_key::kLocalMachine;
}

uint32_t RegistryTypeOf(int32_t type_code) {
  switch (type_code) {
    case 1: return registry_type::kBinary;
    case 2: return registry_type::kDword;
    case 3: return registry_type::kExpandString;
    case 4: return registry_type::kMultiString;
    default: return registry_type::kString;
  }
}

std::vector<uint8_t> EditLineData(int32_t type_code, std::string_view text) {
  if (type_code == 1) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
      bytes.push_back(static_cast<uint8_t>(HexDigit(text[i]) << 4 | HexDigit(text[i + 1])));
    }
    return bytes;
  }
  if (type_code == 2) {
    uint32_t value = 0;
    for (size_t i = 0; i < text.size(); i += 2) {
      const uint8_t low = i + 1 < text.size() ? HexDigit(text[i + 1]) : 0;
      value = value << 8 | static_cast<uint32_t>(HexDigit(text[i]) << 4 | low);
    }
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  }
  return TextWithZero(text);
}

std::vector<uint8_t> SingleValueData(int32_t type_code, std::string_view text) {
  if (type_code == 1 || type_code == 2) return std::vector<uint8_t>(text.begin(), text.end());
  return TextWithZero(text);
}

}  // namespace velsetup
