// Start-up on arbitrary command lines: the script is found or refused, the
// options read, the working copy made, without reading or writing out of
// bounds whatever the line holds.
#include <algorithm>
#include <cstdint>
#include <string>

#include "engine/startup.h"
#include "fuzz_machine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  velsetup::fuzz::StartFuzzRun();
  std::string line(reinterpret_cast<const char*>(data), size);
  line.erase(std::find(line.begin(), line.end(), '\0'), line.end());
  velsetup::InitINIandLogFiles(line);
  return 0;
}
