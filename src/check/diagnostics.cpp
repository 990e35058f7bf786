#include "check/diagnostics.h"

#include <algorithm>
#include <utility>

namespace velsetup::check {

void Diagnostics::Error(int line, Rule rule, std::string message) {
  found_.push_back({line, Severity::kError, std::move(message), rule});
}

void Diagnostics::Warning(int line, Rule rule, std::string message) {
  found_.push_back({line, Severity::kWarning, std::move(message), rule});
}

void Diagnostics::Add(Diagnostic diagnostic) { found_.push_back(std::move(diagnostic)); }

std::vector<Diagnostic> Diagnostics::Sorted() const {
  std::vector<Diagnostic> sorted = found_;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
  std::vector<Diagnostic> unique;
  for (Diagnostic& diagnostic : sorted) {
    const bool repeated = std::any_of(unique.begin(), unique.end(), [&](const Diagnostic& kept) {
      return kept.line == diagnostic.line && kept.severity == diagnostic.severity &&
             kept.message == diagnostic.message;
    });
    if (!repeated) unique.push_back(std::move(diagnostic));
  }
  return unique;
}

int Diagnostics::errors() const {
  const std::vector<Diagnostic> sorted = Sorted();
  return static_cast<int>(std::count_if(sorted.begin(), sorted.end(), [](const Diagnostic& d) {
    return d.severity == Severity::kError;
  }));
}

int Diagnostics::warnings() const { return static_cast<int>(Sorted().size()) - errors(); }

std::string FormatDiagnostic(const std::string& file, const Diagnostic& diagnostic) {
  // A finding about the file as a whole (it cannot be read) has no line.
  const std::string where =
      diagnostic.line > 0 ? file + ":" + std::to_string(diagnostic.line) : file;
  return where + ": " + (diagnostic.severity == Severity::kError ? "error: " : "warning: ") +
         diagnostic.message;
}

std::string Summary(int errors, int warnings) {
  return std::to_string(errors) + (errors == 1 ? " error, " : " errors, ") +
         std::to_string(warnings) + (warnings == 1 ? " warning" : " warnings");
}

}  // namespace velsetup::check
