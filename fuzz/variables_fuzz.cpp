// Variable expansion on arbitrary texts and buffer sizes: never past the
// caller's capacity, never endless (the script's variables include one that
// names itself).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_machine.h"
#include "services/variables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  velsetup::fuzz::StartFuzzRun();
  const size_t capacity = 1 + (static_cast<size_t>(data[0]) << 8 | data[1]) % 1024;
  std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
  if (text.size() >= capacity) text.resize(capacity - 1);
  velsetup::GetVariable(&text, capacity);
  if (text.size() > capacity - 1) std::abort();
  return 0;
}
