// The multi-line registry edit's line parser and data forms on arbitrary
// lines: fields come only from the line, and every data form is built
// whatever the type code.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "commands/registry_edit_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  velsetup::RegistryEditLine fields;
  velsetup::ParseEditLine(line, &fields);
  if (fields.root.size() + fields.key.size() + fields.value_name.size() + fields.data.size() >
      line.size()) {
    std::abort();
  }
  for (int32_t type = -1; type <= 8; ++type) {
    velsetup::EditLineData(type, fields.data);
    velsetup::SingleValueData(type, fields.data);
  }
  velsetup::EditLineData(fields.type_code, fields.data);
  velsetup::RegistryKey key = 0;
  velsetup::RootKeyOf(fields.root, &key);
  velsetup::HiveKeyOf(fields.root);
  return 0;
}
