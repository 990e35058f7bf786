#include "engine/text_format.h"

#include <algorithm>

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace velsetup {

#ifdef _WIN32
// On Windows the text is formatted by msvcrt.dll's own _vsnprintf: the C
// library's portable printf that MinGW substitutes for snprintf carries
// floating-point code built for the Pentium Pro, which the Pentium-class
// machines this program runs on cannot execute. _vsnprintf does not report
// the length it needs, so the buffer grows until the text fits.
std::string Format(const char* format, ...) {
  std::vector<char> buffer(256);
  for (;;) {
    va_list args;
    va_start(args, format);
    const int written = _vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    if (written >= 0 && static_cast<size_t>(written) < buffer.size()) {
      return std::string(buffer.data(), static_cast<size_t>(written));
    }
    // A conversion error also gives -1; no text of ours comes near this size.
    if (buffer.size() >= (size_t{1} << 24)) return std::string();
    buffer.resize(buffer.size() * 2);
  }
}
#else
std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list measure;
  va_copy(measure, args);
  const int needed = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  std::string out;
  if (needed > 0) {
    std::vector<char> buffer(static_cast<size_t>(needed) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    out.assign(buffer.data(), static_cast<size_t>(needed));
  }
  va_end(args);
  return out;
}
#endif

std::string CutTo(std::string_view text, size_t capacity) {
  if (capacity == 0) return {};
  return std::string(text.substr(0, capacity - 1));
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

int32_t ReadDecimal(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = std::min<int64_t>(value * 10 + (text[i] - '0'), int64_t{INT32_MAX} + 1);
  }
  if (negative) return static_cast<int32_t>(-value);
  return static_cast<int32_t>(std::min<int64_t>(value, INT32_MAX));
}

}  // namespace velsetup
