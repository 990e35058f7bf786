// What the checker finds, one finding a line of the script, in the form
// compilers use so that editors can jump to it.
#pragma once

#include <string>
#include <vector>

#include "check/rules.h"

namespace velsetup::check {

enum class Severity { kWarning, kError };

struct Diagnostic {
  int line = 0;
  Severity severity = Severity::kWarning;
  std::string message;
  Rule rule = Rule::kUnreadableFile;
  int column = 0;  // 0 where it is not known
};

class Diagnostics {
 public:
  void Error(int line, Rule rule, std::string message);
  void Warning(int line, Rule rule, std::string message);
  void Add(Diagnostic diagnostic);

  // By line, each finding once: a data section that two commands name is
  // checked for each of them.
  std::vector<Diagnostic> Sorted() const;
  int errors() const;
  int warnings() const;

 private:
  std::vector<Diagnostic> found_;
};

// "file:line: error: message"
std::string FormatDiagnostic(const std::string& file, const Diagnostic& diagnostic);
// "2 errors, 1 warning"
std::string Summary(int errors, int warnings);

}  // namespace velsetup::check
