// The script of a lab run as one text: the script and the files its CMD28
// lines append, read the way the tool reads its working copy after the
// appends (the first section of a name wins, whichever file brings it), with
// every line traced back to its own file. The analysis and the page's graph
// both read it.
#pragma once

#include <vector>

#include "check/script_model.h"
#include "check/script_text.h"
#include "lab/lab_result.h"

namespace velsetup::lab {

struct FileLine {
  int file = -1;  // index into LabResult::files; -1 when the line is no file's
  int line = 0;
};

// A section that runs commands: one the model reaches, or one a profile ran
// that the model could not see coming (a name made of variables).
struct ViewSection {
  const check::ScriptSection* section = nullptr;
  std::vector<check::CommandLine> commands;
  bool reached_by_model = false;
};

class ScriptView {
 public:
  explicit ScriptView(const LabResult& result);
  ScriptView(const ScriptView&) = delete;
  ScriptView& operator=(const ScriptView&) = delete;

  const check::ScriptText& text() const { return text_; }
  const check::ScriptModel& model() const { return model_; }
  const std::vector<ViewSection>& command_sections() const { return sections_; }

  // Lines of the joined text (1-based) to and from a file's own lines.
  FileLine Locate(int joined_line) const;
  int Join(int file, int line) const;  // 0 for a line no file has
  // The file a section of the joined text came from.
  int FileOf(const check::ScriptSection& section) const { return Locate(section.header_line).file; }

  // The lines (joined) a command reads its data from: its data section's
  // lines, only the keys it reads where it reads keys, and the [DATA] count
  // of a move.
  std::vector<int> DataLines(const check::CommandLine& command) const;

 private:
  static std::string Joined(const LabResult& result, std::vector<int>* starts);

  std::vector<int> starts_;  // joined line before each file's first line
  std::vector<int> sizes_;
  check::ScriptText text_;
  check::ScriptModel model_;
  std::vector<ViewSection> sections_;
};

}  // namespace velsetup::lab
