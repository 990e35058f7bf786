#include "engine/command_section.h"

#include <optional>
#include <string>

#include "engine/script_keys.h"
#include "engine/script_lines.h"
#include "engine/install_log.h"
#include "engine/run_observer.h"
#include "engine/run_state.h"
#include "engine/script_file.h"
#include "engine/text_cleaning.h"
#include "engine/text_format.h"
#include "engine/section_reader.h"

namespace velsetup {

namespace {

// One command line into the keys of slot `slot`: the number, the rest of
// the line from the first comma, and each field.
void WriteSlot(int32_t slot, const std::string& line) {
  const CommandLineParts parts = SplitCommandLine(line);
  const std::string number = CutTo(parts.number, capacity::kPath);
  WriteScriptString(script_key::kCommands, CmdKey(slot).c_str(), number.c_str());
  WriteScriptString(script_key::kCommands, FullCmdSectionKey(slot).c_str(), parts.rest.c_str());
  int32_t field = 0;
  for (const std::string& value : parts.fields) {
    WriteScriptString(script_key::kCommands, CmdSectionKey(slot, field++).c_str(), value.c_str());
  }
}

// A section start writes a dozen keys or a few hundred, and a process killed
// among them leaves slots of the old section behind the new one's first
// lines, which a resume would run as if they were the new section's. So the
// start is announced first, in a file beside the script: "slot,section". A
// start that finds the announcement redoes the writes it names, which are
// the same values again wherever they were already made, and removes it. The
// file never outlives a finished start, so an uninterrupted run leaves the
// script's bytes as they would be without it.
std::string StartRecordPath() { return Run().script_path + ".start"; }

void AnnounceStart(int32_t first_slot, const std::string& section) {
  Files().AppendText(StartRecordPath().c_str(),
                     std::to_string(first_slot) + "," + section + "\n");
}

void EndStart() { Files().DeleteFileA(StartRecordPath().c_str()); }

void ExpandLines(const std::string& block, int32_t first_slot) {
  int32_t slot = first_slot;
  for (std::string_view raw : BlockLines(block)) {
    const std::string line = StripCommentsAndEtc(raw);
    if (line.empty()) continue;
    WriteSlot(slot++, line);
  }
}

}  // namespace

void CompleteInterruptedStart() {
  std::string record;
  if (!Files().ReadWholeFile(StartRecordPath().c_str(), &record)) return;
  // Its text is written in one piece; a file without its line end was cut
  // before it, when nothing of the start had been written.
  const size_t end = record.find('\n');
  const size_t comma = record.find(',');
  if (end != std::string::npos && comma < end) {
    const int32_t first_slot = ReadDecimal(std::string_view(record).substr(0, comma));
    std::string section = record.substr(comma + 1, end - comma - 1);
    if (!section.empty() && section.back() == '\r') section.pop_back();
    // The start's first write names the section; before it nothing was
    // changed, and a fresh copy of the script does not name it either.
    const std::string current =
        ReadScriptString(script_key::kState, script_key::kCurrentSection, "", capacity::kSectionName);
    if (current == section) {
      WriteLog("InitCommandSection()",
               Format(" completing the start of [%s] that was cut short", section.c_str()));
      WriteScriptString(script_key::kState, script_key::kNextSection, "");
      if (std::optional<std::string> block = ReadSection(section, Run().script_path)) {
        ExpandLines(*block, first_slot);
        if (RunObserver* observer = Run().observer) observer->SectionStarted(section, first_slot);
      }
      FlushScript();
    }
  }
  EndStart();
}

SectionStart InitCommandSection() {
  RunState& run = Run();
  const std::string slot_zero =
      ReadScriptString(script_key::kCommands, script_key::kSlotZeroProbe, "XX", capacity::kPath);
  const std::string current = ReadScriptString(script_key::kState, script_key::kCurrentSection,
                                               script_key::kAbsentMarker, capacity::kSectionName);
  const std::string next = ReadScriptString(script_key::kState, script_key::kNextSection,
                                            script_key::kAbsentMarker, capacity::kSectionName);
  run.current_section_name = current;

  std::optional<std::string> block;
  int32_t first_slot = run.current_cmd_index;
  if (current == script_key::kAbsentMarker) {
    run.current_section_name = script_key::kCommandsList;
    AnnounceStart(0, script_key::kCommandsList);
    WriteScriptString(script_key::kState, script_key::kCurrentSection, script_key::kCommandsList);
    WriteScriptString(script_key::kState, script_key::kNextSection, "");
    block = ReadSection(script_key::kCommandsList, run.script_path);
    WriteLog("InitCommandSection()", " starting from [CommandsList]");
    // A run without state always begins at the first slot.
    first_slot = 0;
  } else if (EqualsIgnoreCase(current, next) || slot_zero == "XX" || next.empty() ||
             next == script_key::kAbsentMarker) {
    // A [State] that names its section but has no NextSection (a script that
    // brings its own run state) has no switch pending: taking the marker for
    // a section name would fail the start and write the marker back as the
    // current section.
    WriteLog("InitCommandSection()", Format(" continuing with [%s]", run.current_section_name.c_str()));
    return SectionStart::kContinued;
  } else {
    block = ReadSection(next, run.script_path);
    AnnounceStart(first_slot, next);
    WriteScriptString(script_key::kState, script_key::kCurrentSection, next.c_str());
    WriteScriptString(script_key::kState, script_key::kNextSection, "");
    WriteLog("InitCommandSection()", Format(" starting from [%s]", next.c_str()));
  }

  run.current_section_name =
      ReadScriptString(script_key::kState, script_key::kCurrentSection, "", capacity::kSectionName);
  WriteLog("**", Format("  Starting section >%s<", run.current_section_name.c_str()));
  if (!block) {
    EndStart();
    WriteLog("ERROR-=-", Format("section [%s] is empty..cannot initialize",
                                run.current_section_name.c_str()));
    return SectionStart::kFailed;
  }

  ExpandLines(*block, first_slot);
  FlushScript();
  EndStart();
  if (run.observer != nullptr) run.observer->SectionStarted(run.current_section_name, first_slot);
  WriteLog("InitCommandSection()", " initializtion complete.");
  return SectionStart::kStarted;
}

}  // namespace velsetup
