#include "commands/command_table.h"

#include "commands/branch_commands.h"
#include "commands/copy_commands.h"
#include "commands/delete_commands.h"
#include "commands/flow_control.h"
#include "commands/ini_commands.h"
#include "commands/message_commands.h"
#include "commands/process_commands.h"
#include "commands/registry_commands.h"
#include "commands/startup_link_commands.h"

namespace velsetup {

namespace {

using R = FieldRole;
constexpr FieldForm kAlways = FieldForm::kAlways;
constexpr FieldForm kInline = FieldForm::kInlineOnly;
constexpr bool kExpanded = true;
constexpr bool kAsWritten = false;
constexpr bool kRequired = true;
constexpr bool kOptional = false;

struct Table {
  CommandFacts entries[kCommandCount];

  CommandFacts& Add(uint32_t number, const char* name, CommandHandler handler) {
    CommandFacts& facts = entries[number];
    facts.number = number;
    facts.name = name;
    facts.handler = handler;
    facts.supported = handler != CmdNotSupported;
    return facts;
  }
  // A command that takes what `other` takes under another name and handler.
  CommandFacts& Like(uint32_t number, uint32_t other, const char* name, CommandHandler handler) {
    entries[number] = entries[other];
    return Add(number, name, handler);
  }
};

void AddField(CommandFacts& facts, int index, FieldRole role, bool expanded, bool required,
              FieldForm form, const char* outcome = nullptr) {
  facts.field_facts[facts.field_count++] = {index, role, expanded, required, form, outcome};
}

void AddKey(CommandFacts& facts, const char* name, FieldRole role, bool expanded,
            bool required) {
  facts.key_facts[facts.key_count++] = {name, role, expanded, required};
}

void Targets(CommandFacts& facts, bool expanded, std::initializer_list<const char*> outcomes) {
  facts.course = Course::kBranches;
  int index = 0;
  for (const char* outcome : outcomes) {
    AddField(facts, index++, R::kTarget, expanded, kRequired, kAlways, outcome);
  }
}

Table BuildTable() {
  Table t{};
  CommandFacts& end = t.Add(0, "CMD00", Cmd00_EndOfSection);
  end.after = AfterCommand::kKeep;
  end.course = Course::kEndsSection;

  // Link commands: keys of the language's data section, none expanded.
  CommandFacts& link = t.Add(1, "CMD01_Copy_Lnk2StartF_W2000", Cmd01_Copy_Lnk2StartF_W2000);
  link.effect = Effect::kReadsLanguageData;
  link.form = ParamForm::kData;
  link.data = DataKind::kKeys;
  AddKey(link, "AddLinkFile", R::kPath, kAsWritten, kRequired);
  CommandFacts& unlink = t.Like(2, 1, "CMD02_DEL_LnkInStartF_W2000", Cmd02_DEL_LnkInStartF_W2000);
  unlink.key_facts[0].name = "DeleteLinkFile";

  // One registry handler reads all five keys for each of the three commands.
  CommandFacts& set = t.Add(3, "CMD03_Add single Reg Value", Cmd03_04_12_SingleRegValue);
  set.effect = Effect::kSetsRegistryValue;
  set.form = ParamForm::kData;
  set.data = DataKind::kKeys;
  AddKey(set, "RegHive", R::kText, kAsWritten, kOptional);
  AddKey(set, "RegKey", R::kText, kAsWritten, kOptional);
  AddKey(set, "RegValue", R::kText, kAsWritten, kOptional);
  AddKey(set, "RegData", R::kText, kExpanded, kOptional);
  AddKey(set, "RegDataType", R::kNumber, kAsWritten, kOptional);
  t.Like(4, 3, "CMD04_Remove single Reg Value", Cmd03_04_12_SingleRegValue).effect =
      Effect::kDeletesRegistryValue;
  t.Like(12, 3, "CMD12_RemoveSingleRegKey", Cmd03_04_12_SingleRegValue).effect =
      Effect::kDeletesRegistryKey;

  // The run counter and the moves read [DATA], whatever field 0 says.
  t.Add(5, "CMD05_IncRunningCounter", Cmd05_IncRunningCounter).param0_is_data = true;
  CommandFacts& back = t.Add(6, "CMD06_DecCmdIndex", Cmd06_DecCmdIndex);
  back.param0_is_data = true;
  back.course = Course::kMovesBack;
  back.count_key = "DecCommand";
  CommandFacts& skip = t.Add(7, "CMD07_IncCmdIndex", Cmd07_IncCmdIndex);
  skip.param0_is_data = true;
  skip.course = Course::kMovesForward;
  skip.count_key = "IncCommand";
  CommandFacts& reset = t.Add(8, "CMD08_ResetCmdIndex", Cmd08_ResetCmdIndex);
  reset.after = AfterCommand::kKeep;
  reset.course = Course::kEndsRun;

  CommandFacts& maker = t.Add(9, "CMD09_BranchOnIsVelmor", Cmd09_BranchOnIsVelmor);
  maker.form = ParamForm::kOwnFields;
  Targets(maker, kAsWritten, {"the maker's machine", "any other machine"});

  t.Add(10, "CMD10_Exit", Cmd10_Exit).course = Course::kEndsRun;

  CommandFacts& spawn = t.Add(11, "CMD11_SpawnProgram", Cmd11_SpawnProgram);
  spawn.form = ParamForm::kInlineOrData;
  AddField(spawn, 1, R::kCommandLine, kExpanded, kRequired, kInline);
  AddField(spawn, 2, R::kFlag, kAsWritten, kOptional, kInline);
  spawn.data = DataKind::kKeys;
  AddKey(spawn, "Program", R::kCommandLine, kExpanded, kRequired);
  AddKey(spawn, "WaitToExit", R::kFlag, kAsWritten, kOptional);

  CommandFacts& sleep = t.Add(13, "CMD13_Sleep", Cmd13_Sleep);
  sleep.form = ParamForm::kOwnFields;
  AddField(sleep, 0, R::kNumber, kAsWritten, kRequired, kAlways);

  CommandFacts& edits = t.Add(14, "CMD14_MultiRegEdit", Cmd14_MultiRegEdit);
  edits.form = ParamForm::kData;
  edits.data = DataKind::kRegistryEdits;

  CommandFacts& copy = t.Add(15, "CMD15_CopyFile", Cmd15_CopyFile);
  copy.form = ParamForm::kInlineOrData;
  AddField(copy, 1, R::kPath, kExpanded, kRequired, kInline);
  AddField(copy, 2, R::kPath, kExpanded, kRequired, kInline);
  copy.data = DataKind::kPairs;
  copy.refuses_wildcards_in_data = true;

  CommandFacts& remove = t.Add(16, "CMD16_DeleteFileOrDir", Cmd16_DeleteFileOrDir);
  remove.form = ParamForm::kInlineOrData;
  AddField(remove, 1, R::kPath, kExpanded, kRequired, kInline);
  remove.data = DataKind::kPaths;
  remove.refuses_wildcards_in_data = true;

  // Field 1 is the box type; the answers of a question box pick fields 2 to 4.
  CommandFacts& box = t.Add(17, "CMD17_DisplayMessageBox", Cmd17_DisplayMessageBox);
  box.course = Course::kAsks;
  box.form = ParamForm::kOwnFields;
  box.data = DataKind::kMessage;
  AddField(box, 0, R::kDataSection, kAsWritten, kRequired, kAlways);
  AddField(box, 1, R::kNumber, kAsWritten, kOptional, kAlways);
  for (int i = 2; i <= 4; ++i) AddField(box, i, R::kAnswerTarget, kAsWritten, kOptional, kAlways);

  CommandFacts& os = t.Add(18, "CMD18_BranchOnOS", Cmd18_BranchOnOS);
  os.form = ParamForm::kOwnFields;
  Targets(os, kAsWritten,
          {"any other Windows", "Windows 95", "Windows 98", "Windows NT 4.0", "Windows 2000"});

  CommandFacts& jump = t.Add(19, "CMD19_JumpToNextSection", Cmd19_JumpToNextSection);
  jump.form = ParamForm::kOwnFields;
  Targets(jump, kExpanded, {nullptr});

  t.Add(20, "CMD20_ExitRebootSystem", Cmd20_ExitRebootSystem).course = Course::kEndsRun;
  t.Like(21, 16, "CMD21_MakeDir", Cmd21_MakeDir).refuses_wildcards_in_data = false;
  t.Add(22, "CMD22_DisplayWindow", CmdNotSupported);
  t.Add(23, "CMD23_MergeINIFile", CmdNotSupported);
  t.Add(24, "CMD24_ControlOsShutdown", CmdNotSupported);

  CommandFacts& id = t.Add(25, "CMD25_BranchOnSystemID", Cmd25_BranchOnSystemID);
  id.form = ParamForm::kOwnFields;
  id.data = DataKind::kIdList;
  Targets(id, kExpanded, {"", "a listed system ID", "an unlisted system ID"});
  // Field 0 names the ID list, not a section to run.
  id.field_facts[0] = {0, R::kDataSection, kAsWritten, kRequired, kAlways, ""};

  CommandFacts& value = t.Add(26, "CMD26_SetValue", Cmd26_SetValue);
  value.effect = Effect::kSetsValues;
  value.form = ParamForm::kInlineOrData;
  AddField(value, 1, R::kText, kExpanded, kRequired, kInline);
  AddField(value, 2, R::kText, kExpanded, kRequired, kInline);
  AddField(value, 3, R::kText, kExpanded, kOptional, kInline);
  value.data = DataKind::kValues;

  CommandFacts& variable = t.Add(27, "CMD27_SetVariable", Cmd27_SetVariable);
  variable.effect = Effect::kSetsVariables;
  variable.form = ParamForm::kInlineOrData;
  AddField(variable, 1, R::kVariableName, kAsWritten, kRequired, kInline);
  AddField(variable, 2, R::kText, kExpanded, kOptional, kInline);
  variable.data = DataKind::kVariables;

  CommandFacts& append = t.Add(28, "CMD28_AppendINIFile", Cmd28_AppendINIFile);
  append.effect = Effect::kAppendsFile;
  append.form = ParamForm::kOwnFields;
  AddField(append, 0, R::kPath, kExpanded, kRequired, kAlways);

  // The deletion of CMD16 on fields 0 and 1, then the restart choice.
  CommandFacts& last = t.Add(29, "CMD29_ExitAndDeleteINIFile", Cmd29_ExitAndDeleteINIFile);
  last.after = AfterCommand::kKeep;
  last.course = Course::kEndsRun;
  last.form = ParamForm::kInlineOrData;
  AddField(last, 1, R::kPath, kExpanded, kOptional, kInline);
  AddField(last, 2, R::kFlag, kAsWritten, kOptional, kAlways);
  last.data = DataKind::kPaths;
  last.refuses_wildcards_in_data = true;

  CommandFacts& power = t.Add(30, "CMD30_BranchOnPowerManagement", Cmd30_BranchOnPowerManagement);
  power.form = ParamForm::kOwnFields;
  Targets(power, kAsWritten,
          {"any Windows but 98", "Windows 98 with APM", "Windows 98 with ACPI"});

  t.Like(31, 15, "CMD31_RenameFile", Cmd31_RenameFile);

  CommandFacts& log = t.Add(32, "CMD32_LogMsg", Cmd32_LogMsg);
  log.form = ParamForm::kOwnFields;
  AddField(log, 0, R::kText, kAsWritten, kOptional, kAlways);

  t.Add(33, "CMD33_", CmdNotSupported);
  t.Add(34, "CMD34_", CmdNotSupported);
  t.Add(35, "CMD35_", CmdNotSupported);
  return t;
}

const Table& TheTable() {
  static const Table table = BuildTable();
  return table;
}

}  // namespace

CommandTable Commands() { return {TheTable().entries, kCommandCount}; }

const CommandFacts& FactsOf(uint32_t number) {
  static const CommandFacts none{};
  return number < kCommandCount ? TheTable().entries[number] : none;
}

}  // namespace velsetup
