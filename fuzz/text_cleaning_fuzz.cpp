// The script-text cleaning on arbitrary lines: the in-place and the string
// forms must agree, and cleaning what is clean changes nothing.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/text_cleaning.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (text.find('\0') != std::string::npos) return 0;  // C strings end at the first zero
  const std::string stripped = velsetup::StripCommentsAndEtc(text);
  const std::string trimmed = velsetup::TrimBlanks(text);
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  if (stripped != velsetup::StripCommentsAndEtc(buffer.data())) std::abort();
  std::vector<char> again(text.begin(), text.end());
  again.push_back('\0');
  if (trimmed != velsetup::TrimBlanks(again.data())) std::abort();
  if (velsetup::TrimBlanks(trimmed) != trimmed) std::abort();
  return 0;
}
