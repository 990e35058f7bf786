// velsetup-check: reports the mistakes of setup scripts before they run.
//
//   velsetup-check [--format=text|json|sarif] script.ini [more.ini ...]
//
// One finding a line, "file:line: error|warning: message", then a summary;
// or a JSON or SARIF report for editors and CI.
// Exit status: 0 without errors, 1 with errors, 2 when a file cannot be read
// or the command line is wrong.
#ifndef _WIN32
#include <dirent.h>
#include <strings.h>
#endif

#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "check/diagnostics.h"
#include "check/report.h"
#include "check/script_checker.h"

namespace {

constexpr const char* kUsage =
    "usage: velsetup-check [--format=text|json|sarif] script.ini [more.ini ...]\n";

constexpr const char* kHelp =
    "Reports the mistakes of velsetup scripts before they run; nothing is run or changed.\n"
    "\n"
    "  --format=text    one line a finding, file:line: error|warning: message (the default)\n"
    "  --format=json    a JSON array, one object a finding: file, line, column, severity,\n"
    "                   rule, message\n"
    "  --format=sarif   SARIF 2.1.0, with every rule's id and description\n"
    "  --help, -h       this text\n"
    "  --               every argument after it is a file\n"
    "\n"
    "Exit status: 0 without errors, 1 with errors, 2 when a file cannot be read or the\n"
    "command line is wrong.\n";

// Through stdio, which tells a read error (a directory, say) from an empty file.
bool ReadFile(const std::string& path, std::string* bytes) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  char buffer[4096];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes->append(buffer, count);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  return !failed;
}

// The file `name` in the script's directory. Windows finds names case-blind,
// and so does this on a host whose file system does not.
std::optional<std::string> FindBeside(const std::string& script, const std::string& name) {
  const size_t slash = script.find_last_of("/\\");
  const std::string directory = slash == std::string::npos ? "" : script.substr(0, slash + 1);
  std::string bytes;
  if (ReadFile(directory + name, &bytes)) return bytes;
#ifndef _WIN32
  if (DIR* listing = ::opendir(directory.empty() ? "." : directory.c_str())) {
    std::optional<std::string> found;
    while (const dirent* entry = ::readdir(listing)) {
      if (::strcasecmp(entry->d_name, name.c_str()) == 0 &&
          ReadFile(directory + entry->d_name, &bytes)) {
        found = bytes;
        break;
      }
    }
    ::closedir(listing);
    return found;
  }
#endif
  return std::nullopt;
}

// Through stdio rather than iostreams, whose locale machinery would more than
// double the Windows program and bring in code for newer CPUs.
void Print(std::FILE* stream, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stream);
}

int UsageError(const std::string& problem) {
  Print(stderr, "velsetup-check: " + problem + "\n" + kUsage);
  return 2;
}

// The files a script appends, looked for beside it.
class FilesBeside : public velsetup::check::AppendedFileFinder {
 public:
  explicit FilesBeside(std::string script) : script_(std::move(script)) {}
  std::optional<std::string> Find(const std::string& name) const override {
    return FindBeside(script_, name);
  }

 private:
  std::string script_;
};

}  // namespace

int main(int argc, char** argv) {
  using namespace velsetup::check;
  ReportFormat format = ReportFormat::kText;
  std::vector<std::string> files;
  bool options_end = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    // A name that starts with '-' is taken for a mistyped option rather than
    // read as a file: "--fromat=json" must not report "cannot read".
    if (options_end || argument.empty() || argument[0] != '-') {
      files.push_back(argument);
    } else if (argument == "--") {
      options_end = true;
    } else if (argument == "--help" || argument == "-h") {
      Print(stdout, std::string(kUsage) + "\n" + kHelp);
      return 0;
    } else if (argument == "--format=text") {
      format = ReportFormat::kText;
    } else if (argument == "--format=json") {
      format = ReportFormat::kJson;
    } else if (argument == "--format=sarif") {
      format = ReportFormat::kSarif;
    } else {
      return UsageError("unknown option '" + argument + "'");
    }
  }
  if (files.empty()) return UsageError("no script given");

  std::vector<FileFinding> findings;
  int errors = 0;
  int warnings = 0;
  bool unreadable = false;
  for (const std::string& file : files) {
    std::string bytes;
    if (!ReadFile(file, &bytes)) {
      Diagnostic diagnostic;
      diagnostic.severity = Severity::kError;
      diagnostic.rule = Rule::kUnreadableFile;
      diagnostic.message = "cannot read the file";
      findings.push_back({file, diagnostic});
      unreadable = true;
      ++errors;
      continue;
    }
    const FilesBeside beside(file);
    const Diagnostics found = CheckScript(bytes, &beside);
    for (const Diagnostic& diagnostic : found.Sorted()) findings.push_back({file, diagnostic});
    errors += found.errors();
    warnings += found.warnings();
  }
  Print(stdout, FormatReport(format, findings, errors, warnings));
  if (unreadable) return 2;
  return errors > 0 ? 1 : 0;
}
