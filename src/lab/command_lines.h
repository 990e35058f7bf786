// Which line of the script a command slot holds. A section start expands the
// section's non-empty lines, comments cut, into the slots from its first
// slot on, so slot - first_slot indexes those lines; a resumed run goes on
// in the slots an earlier run filled.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lab/lab_result.h"

namespace velsetup::lab {

// The script (file 0) and the files its CMD28 lines append, found beside it
// by name, case-blind, as velsetup-check finds them. False with `*error`
// when the script itself cannot be read.
bool LoadScriptFiles(const std::string& script_path, std::vector<ScriptFile>* files,
                     std::string* error);

// Where a line of a command section lies.
struct LineRef {
  int file = -1;
  int line = 0;
};

class CommandLines {
 public:
  // The sections of `files` in order; the first section of a name wins,
  // case-blind, across all of them, as the appended working copy reads.
  explicit CommandLines(const std::vector<ScriptFile>& files);

  // A run expanded `section` into slots from `first_slot`.
  void SectionStarted(const std::string& section, int32_t first_slot);
  // The line of the command in `slot` that runs as part of `section`;
  // file -1 when no started section covers it.
  LineRef Find(int32_t slot, const std::string& section) const;

 private:
  struct Section {
    std::string folded_name;
    std::vector<LineRef> commands;
  };
  struct Start {
    int section;  // index into sections_; -1 for a section no file holds
    int32_t first_slot;
  };
  int FindSection(const std::string& name) const;

  std::vector<Section> sections_;
  std::vector<Start> starts_;  // in the order the runs made them
};

}  // namespace velsetup::lab
