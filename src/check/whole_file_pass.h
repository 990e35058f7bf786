// The whole-file pass: what no single command shows. Lines no read sees,
// a second section or key of a name, the start of the run, the debug
// override left on, and sections nothing uses.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "check/pass_support.h"

namespace velsetup::check {

// A script saved as UTF-16, or as UTF-8 with a byte order mark, which the
// tool's ANSI profile calls do not read as it was written. False when the
// bytes are no ANSI text at all (UTF-16) and nothing else is worth checking.
bool CheckEncoding(std::string_view bytes, Diagnostics& found);

class WholeFilePass : public Pass {
 public:
  using Pass::Pass;

  // Stray lines, broken headers, sections of a name given twice.
  void CheckLayout();
  // A missing or empty [CommandsList].
  void CheckStart();
  // [Variables], repeated keys of the sections read key by key, [DATA].
  void CheckKnownSections();
  void CheckUnused();
  // Command sections and data lists longer than Windows 95 and 98 read.
  void CheckSectionSizes();

 private:
  void CheckRepeatedKeys(const ScriptSection& section);
  void CheckSectionSize(const ScriptSection& section, const std::vector<std::string>& readers);
};

}  // namespace velsetup::check
