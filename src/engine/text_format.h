// Small text helpers shared by the engine and the commands. The fixed
// capacities of the script format are applied as explicit cuts: a text meant
// for a buffer of N characters keeps at most N - 1 of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velsetup {

// printf-style formatting into a string of any length.
#if defined(__GNUC__) && !defined(_WIN32)
#define VELSETUP_PRINTF_FORMAT __attribute__((format(printf, 1, 2)))
#else
#define VELSETUP_PRINTF_FORMAT
#endif
std::string Format(const char* format, ...) VELSETUP_PRINTF_FORMAT;

// The first `capacity - 1` characters of `text` (nothing for capacity 0).
std::string CutTo(std::string_view text, size_t capacity);

// A decimal number as atoi reads it (leading whitespace, one sign, the digits
// up to the first other character; 0 without digits), held within 32 bits
// where atoi would overflow.
int32_t ReadDecimal(std::string_view text);

// Case-blind comparison of 8-bit texts, ASCII letters only, as the profile
// calls compare section and key names.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

inline void AppendAll(std::string&) {}
template <typename First, typename... Rest>
void AppendAll(std::string& out, const First& first, const Rest&... rest) {
  out += first;
  AppendAll(out, rest...);
}

template <typename... Parts>
std::string Concat(const Parts&... parts) {
  std::string out;
  AppendAll(out, parts...);
  return out;
}

}  // namespace velsetup
