// The checker's findings over all files, printed for people (one compiler-style
// line a finding and a summary) or for programs: JSON, one object a finding,
// and SARIF 2.1.0, which code-scanning services and editors take.
#pragma once

#include <string>
#include <vector>

#include "check/diagnostics.h"

namespace velsetup::check {

enum class ReportFormat { kText, kJson, kSarif };

struct FileFinding {
  std::string file;
  Diagnostic diagnostic;
};

// The whole report; every line ends with '\n'.
std::string FormatReport(ReportFormat format, const std::vector<FileFinding>& findings, int errors,
                         int warnings);

// A text as a JSON string, quotes included. Scripts are written in the
// machine's ANSI code page, which the checker cannot know, so each byte above
// 127 is taken as the character of that number (Latin-1): the report is
// always valid UTF-8, and ASCII comes through as it is.
std::string JsonString(const std::string& text);

}  // namespace velsetup::check
