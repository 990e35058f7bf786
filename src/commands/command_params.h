// How commands get their parameters: fields of their own command line, or
// the lines of the data section that field 0 names.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velsetup {

// Field `field` of the current command line, as the engine stored it, read
// with a buffer of `capacity` characters.
std::string InlineField(int32_t field, size_t capacity);

// True when the current command takes its parameters inline (field 0 empty).
bool ParametersAreInline();

// The block of the data section that field 0 names; nothing, after the
// command's own `missing_message` under "ERROR-=-", when it is missing or
// holds no line.
std::optional<std::string> ReadDataSection(std::string_view missing_message);

// A path of at most `max_length` characters passes; a longer one is refused
// with a warning naming `command` and the path's beginning. A path cut short
// would name another file, and an over-long one cannot be passed to the
// system whole.
bool PathFits(std::string_view path, size_t max_length, std::string_view command);
// The same for any text, called `noun` in the warning.
bool TextFits(std::string_view text, size_t max_length, std::string_view command,
              std::string_view noun);

// `text` with its variables expanded, never beyond `max_length` characters.
std::string ExpandedText(std::string text, size_t max_length);

// The last error as "%d" and "%s" of the commands' failure lines take it.
struct ErrorReport {
  uint32_t code = 0;
  std::string text;
};
ErrorReport LastError();

}  // namespace velsetup
