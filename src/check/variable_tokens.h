// Variable tokens as the expansion meets them, for checking texts without
// expanding them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velsetup::check {

enum class TokenKind {
  kBuiltIn,         // ~%Cnnn
  kScriptVariable,  // ~%Vnnn
  kBadClass,        // "~%" and a letter other than C or V: the expansion stops there
  kCutShort,        // fewer than six characters left: names nothing
};

struct Token {
  size_t position = 0;
  TokenKind kind = TokenKind::kBuiltIn;
  std::string text;           // the token's characters
  int number = 0;             // positions 4 to 6 read as the expansion reads them
  bool three_digits = false;  // positions 4 to 6 are plain digits
  bool names_variable = false;
};

// The tokens of `text` from left to right, up to and including one whose
// class letter stops the expansion.
std::vector<Token> ScanTokens(std::string_view text);

bool HasToken(std::string_view text);

// Whether `name` is a key the expansion reads from [Variables]: V000 to
// V999, the letter in either case (key names compare case-blind).
bool IsVariableKey(std::string_view name);
// The number of such a key.
int VariableNumber(std::string_view name);

// The built-in numbers: tool directory, Windows and system directories and
// their folders, language code, temporary file.
constexpr int kTempFileVariable = 0;
bool IsBuiltInVariable(int number);

}  // namespace velsetup::check
