#include "engine/command_section.h"

#include <optional>
#include <string>

#include "engine/command_table.h"
#include "engine/install_log.h"
#include "engine/run_state.h"
#include "engine/script_file.h"
#include "engine/text_cleaning.h"
#include "engine/text_format.h"
#include "services/section_reader.h"

namespace velsetup {

namespace {

// One command line into the keys of slot `slot`: the number before the first
// comma, the rest of the line from that comma, and each field.
void WriteSlot(int32_t slot, const std::string& line) {
  const size_t comma = line.find(',');
  const std::string number = CutTo(line.substr(0, comma), capacity::kPath);
  WriteScriptString(script_key::kCommands, CmdKey(slot).c_str(), number.c_str());
  const std::string rest = comma == std::string::npos ? std::string() : line.substr(comma);
  WriteScriptString(script_key::kCommands, FullCmdSectionKey(slot).c_str(), rest.c_str());
  if (comma == std::string::npos) return;
  int32_t field = 0;
  size_t start = comma + 1;
  for (;;) {
    const size_t next = line.find(',', start);
    const std::string value =
        StripCommentsAndEtc(std::string_view(line).substr(start, next == std::string::npos
                                                                      ? std::string::npos
                                                                      : next - start));
    WriteScriptString(script_key::kCommands, CmdSectionKey(slot, field).c_str(), value.c_str());
    if (next == std::string::npos) break;
    start = next + 1;
    ++field;
  }
}

}  // namespace

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
    WriteScriptString(script_key::kState, script_key::kCurrentSection, next.c_str());
    WriteScriptString(script_key::kState, script_key::kNextSection, "");
    WriteLog("InitCommandSection()", Format(" starting from [%s]", next.c_str()));
  }

  run.current_section_name =
      ReadScriptString(script_key::kState, script_key::kCurrentSection, "", capacity::kSectionName);
  WriteLog("**", Format("  Starting section >%s<", run.current_section_name.c_str()));
  if (!block) {
    WriteLog("ERROR-=-", Format("section [%s] is empty..cannot initialize",
                                run.current_section_name.c_str()));
    return SectionStart::kFailed;
  }

  int32_t slot = first_slot;
  for (std::string_view raw : BlockLines(*block)) {
    const std::string line = StripCommentsAndEtc(raw);
    if (line.empty()) continue;
    WriteSlot(slot++, line);
  }
  FlushScript();
  WriteLog("InitCommandSection()", " initializtion complete.");
  return SectionStart::kStarted;
}

}  // namespace velsetup
