// velsetup-check: reports the mistakes of setup scripts before they run.
//
//   velsetup-check script.ini [more.ini ...]
//
// One finding a line, "file:line: error|warning: message", then a summary.
// Exit status: 0 without errors, 1 with errors, 2 when a file cannot be read.
#include <cstdio>
#include <string>

#include "check/diagnostics.h"
#include "check/script_checker.h"

namespace {

constexpr const char* kUsage = "usage: velsetup-check script.ini [more.ini ...]\n";

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

// Through stdio rather than iostreams, whose locale machinery would more than
// double the Windows program and bring in code for newer CPUs.
void PrintLine(std::FILE* stream, const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stream);
  std::fputc('\n', stream);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace velsetup::check;
  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  int errors = 0;
  int warnings = 0;
  bool unreadable = false;
  for (int i = 1; i < argc; ++i) {
    const std::string file = argv[i];
    std::string bytes;
    if (!ReadFile(file, &bytes)) {
      PrintLine(stdout, file + ": error: cannot read the file");
      unreadable = true;
      ++errors;
      continue;
    }
    const Diagnostics found = CheckScript(bytes);
    for (const Diagnostic& diagnostic : found.Sorted()) {
      PrintLine(stdout, FormatDiagnostic(file, diagnostic));
    }
    errors += found.errors();
    warnings += found.warnings();
  }
  PrintLine(stdout, Summary(errors, warnings));
  if (unreadable) return 2;
  return errors > 0 ? 1 : 0;
}
