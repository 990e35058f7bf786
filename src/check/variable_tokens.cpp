#include "check/variable_tokens.h"

#include "engine/text_format.h"

namespace velsetup::check {

namespace {
constexpr size_t kTokenLength = 6;
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

bool HasToken(std::string_view text) { return text.find("~%") != std::string_view::npos; }

bool IsBuiltInVariable(int number) {
  return number == kTempFileVariable || number == 1 || (number >= 101 && number <= 105);
}

std::vector<Token> ScanTokens(std::string_view text) {
  std::vector<Token> tokens;
  for (size_t at = text.find("~%"); at != std::string_view::npos; at = text.find("~%", at)) {
    Token token;
    token.position = at;
    const std::string_view rest = text.substr(at);
    token.text = std::string(rest.substr(0, kTokenLength));
    if (rest.size() < 3) {
      token.kind = TokenKind::kCutShort;
      tokens.push_back(token);
      break;
    }
    const char letter = rest[2];
    if (letter != 'C' && letter != 'c' && letter != 'V' && letter != 'v') {
      token.kind = TokenKind::kBadClass;
      tokens.push_back(token);
      break;
    }
    if (rest.size() < kTokenLength) {
      token.kind = TokenKind::kCutShort;
      tokens.push_back(token);
      break;
    }
    const std::string_view digits = rest.substr(3, 3);
    token.number = ReadDecimal(digits);
    token.three_digits = IsDigit(digits[0]) && IsDigit(digits[1]) && IsDigit(digits[2]);
    if (letter == 'C' || letter == 'c') {
      token.kind = TokenKind::kBuiltIn;
      token.names_variable = IsBuiltInVariable(token.number);
    } else {
      token.kind = TokenKind::kScriptVariable;
      token.names_variable = token.number >= 0 && token.number <= 999;
    }
    tokens.push_back(token);
    at += kTokenLength;
  }
  return tokens;
}

bool IsVariableKey(std::string_view name) {
  return name.size() == 4 && (name[0] == 'V' || name[0] == 'v') && IsDigit(name[1]) &&
         IsDigit(name[2]) && IsDigit(name[3]);
}

int VariableNumber(std::string_view name) { return ReadDecimal(name.substr(1)); }

}  // namespace velsetup::check
