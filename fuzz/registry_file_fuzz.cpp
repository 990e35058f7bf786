// The registry file reader on arbitrary bytes: what it accepts, written out
// and read again, gives the same text (the writer's promise that a round
// trip changes nothing stored).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/host/registry/registry_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace velsetup::host;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  RegistryTree tree;
  std::string error;
  if (!ParseRegistryFile(bytes, &tree, &error)) return 0;
  const std::string written = FormatRegistryFile(tree, true);
  RegistryTree again;
  if (!ParseRegistryFile(written, &again, &error)) std::abort();
  if (FormatRegistryFile(again, true) != written) std::abort();
  return 0;
}
