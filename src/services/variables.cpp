#include "services/variables.h"

#include <optional>
#include <string_view>

#include "engine/script_keys.h"
#include "engine/install_log.h"
#include "engine/run_state.h"
#include "engine/script_file.h"
#include "engine/text_format.h"
#include "platform/language_codes.h"

namespace velsetup {

namespace {

constexpr size_t kTokenLength = 6;
constexpr const char* kNotFoundPrefix = "GetVariable( ) variable not found for ";

// A directory query into the 260-byte buffer the tool has always used, with
// `below` (when given) appended; nothing when the call fails or the
// directory does not fit.
std::optional<std::string> DirectoryFrom(uint32_t (SystemApi::*query)(char*, uint32_t),
                                         const char* below) {
  char buffer[kVariableWorkCapacity] = {};
  const uint32_t length = (System().*query)(buffer, static_cast<uint32_t>(sizeof buffer));
  if (length == 0 || length >= sizeof buffer) return std::nullopt;
  std::string directory(buffer, length);
  if (below != nullptr) directory += below;
  return directory;
}

// The temporary file name of ~%C000 under the temporary directory, logged
// and kept as V000 so that later commands reach the same name.
std::string TemporaryFilePath() {
  char directory[kVariableWorkCapacity] = {};
  const uint32_t length =
      System().GetTempPathA(static_cast<uint32_t>(sizeof directory), directory);
  const std::string name = TemporaryFileName();
  const std::string path = (length == 0 || length > sizeof directory - 1)
                               ? "c:\\" + name
                               : std::string(directory, length) + name;
  WriteLog("", Format("** creating %s and will save in V000", path.c_str()));
  WriteScriptString(script_key::kVariables, "V000", path.c_str());
  return path;
}

// The value of a built-in variable; nothing for a number that names none
// (logged with the text being expanded) or a value the machine cannot give.
std::optional<std::string> BuiltInValue(int number, std::string_view expanding) {
  switch (number) {
    case 0:
      return TemporaryFilePath();
    case 1:
      return Run().module_dir;
    case 101:
    case 102:
      return DirectoryFrom(&SystemApi::GetWindowsDirectoryA, number == 102 ? "\\inf" : nullptr);
    case 103:
    case 104:
      return DirectoryFrom(&SystemApi::GetSystemDirectoryA,
                           number == 104 ? "\\Drivers" : nullptr);
    case 105:
      if (const char* code = LanguageCodeOf(System().GetUserDefaultLangID())) return code;
      return std::nullopt;
    default:
      WriteLog(kNotFoundPrefix, expanding);
      return std::nullopt;
  }
}

void LogNoReplacement(std::string_view from_token) {
  WriteLog("ERROR-=-", " variable token found but no replacement made.");
  WriteLog("ERROR-=-", from_token);
}

bool IsClassLetter(char c, char upper) { return c == upper || c == upper + ('a' - 'A'); }

}  // namespace

std::string TemporaryFileName() {
  return Format("TMP%05u", static_cast<unsigned>(System().GetCurrentProcessId() % 100000u));
}

int GetVariable(std::string* text, size_t capacity) {
  const size_t limit = capacity > 0 ? capacity - 1 : 0;
  int count = 0;
  int replacements = 0;
  size_t search = 0;  // where the text being expanded starts
  for (;;) {
    const size_t at = text->find("~%", search);
    if (at == std::string::npos) return count;

    const size_t left = text->size() - at;
    const char class_letter = left > 2 ? (*text)[at + 2] : '\0';
    const bool built_in = IsClassLetter(class_letter, 'C');
    if (!built_in && !IsClassLetter(class_letter, 'V')) {
      WriteLog("ERROR-=-", " variable token ~% found but leading character not valid");
      WriteLog("ERROR-=-", std::string_view(*text).substr(search));
      return count;
    }
    ++count;

    if (replacements == kMaxReplacementsPerText) {
      WriteLog("ERROR-=-", Format(" more than %d variable replacements, expansion stopped.",
                                  kMaxReplacementsPerText));
      WriteLog("ERROR-=-", *text);
      return count;
    }

    // A token cut short by the end of the text names no variable.
    if (left < kTokenLength) {
      WriteLog(kNotFoundPrefix, std::string_view(*text).substr(search));
      LogNoReplacement(std::string_view(*text).substr(at));
      return count;
    }

    // Positions 4 to 6 of the token, as atoi reads them.
    const int number = ReadDecimal(std::string_view(*text).substr(at + 3, 3));
    const size_t rest = at + kTokenLength;
    std::optional<std::string> value;
    if (built_in) {
      value = BuiltInValue(number, std::string_view(*text).substr(search));
    } else if (number < 0 || number > 999) {
      WriteLog(kNotFoundPrefix, *text);
    } else {
      const std::string key = Format("V%03d", number);
      value = ReadScriptString(script_key::kVariables, key.c_str(), "", kVariableWorkCapacity);
    }

    if (value) {
      // ~%C000 stands for the whole name: what follows it is dropped.
      std::string work = *value;
      if (!(built_in && number == 0)) work.append(*text, rest, std::string::npos);
      if (work.size() >= kVariableWorkCapacity || at + work.size() > limit) {
        const bool work_full = work.size() >= kVariableWorkCapacity;
        WriteLog("ERROR-=-",
                 Format(" replaced text of %u characters would not fit in %u, token kept.",
                        static_cast<unsigned>(work_full ? work.size() : at + work.size()),
                        static_cast<unsigned>(work_full ? kVariableWorkCapacity - 1 : limit)));
        value.reset();
      } else {
        text->replace(at, std::string::npos, work);
        ++replacements;
        WriteLog("", "replaced variable in string.");
        WriteLog("", "full string now is: " + *text);
        // The value may hold tokens of its own: search again from the token's place.
        search = at;
        continue;
      }
    }
    LogNoReplacement(std::string_view(*text).substr(at));
    // Go on behind the token left as written, so it is never met again.
    search = rest;
  }
}

}  // namespace velsetup
