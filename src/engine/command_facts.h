// What is known of one command: what the loop calls and does after it, and
// what its script line and data section hold. The table itself lives with
// the commands (commands/command_table.h); the loop is handed it at the
// program's entry, and the script checker reads the same entries, so a
// command is described once for both.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velsetup {

// A command: reads its parameters from the current slot, returns its result.
using CommandHandler = uint32_t (*)();

// What the loop does with the stored command index once the command ran.
enum class AfterCommand : uint8_t {
  kNextSlot,  // moves it to the next slot
  kKeep,      // leaves it alone: the command has set it (or removed it)
};

// What a command does to the course of the run.
enum class Course : uint8_t {
  kGoesOn,
  kEndsSection,   // command 0: the next section starts, or the run ends
  kEndsRun,       // a nonzero result ends the run
  kBranches,      // stores the next section, chosen from its target fields
  kAsks,          // a message box; the answers of a question box pick a section
  kMovesBack,     // the next command is the one `count_key` slots back
  kMovesForward,  // skips the `count_key` commands that follow
};

// What a command changes that other commands or the checker depend on.
enum class Effect : uint8_t {
  kNone,
  kReadsLanguageData,     // reads the language data section of the run
  kSetsValues,            // writes section,key,value into the working copy
  kSetsVariables,         // writes name,value into [Variables]
  kAppendsFile,           // appends another file to the working copy
  kSetsRegistryValue,     // one registry value from RegHive ... RegDataType
  kDeletesRegistryValue,
  kDeletesRegistryKey,
};

enum class FieldRole : uint8_t {
  kTarget,        // a section to run next
  kAnswerTarget,  // a section an answer of a question box picks
  kDataSection,   // a section the command reads, named as written
  kPath,          // a file or directory
  kCommandLine,   // a program and its arguments
  kText,          // a text the command writes or logs
  kVariableName,  // a key of [Variables] to set
  kNumber,        // a decimal number
  kFlag,          // "TRUE" (any case) or anything else for false
};

// When a field is read.
enum class FieldForm : uint8_t {
  kAlways,
  kInlineOnly,  // only when field 0 is empty
};

// Where a command takes its parameters from.
enum class ParamForm : uint8_t {
  kNone,          // reads no field of its line
  kOwnFields,     // reads only fields of its line
  kInlineOrData,  // field 0 empty: fields from 1 on; otherwise field 0 names a data section
  kData,          // field 0 names a data section
};

// How a data section's lines are read.
enum class DataKind : uint8_t {
  kNone,
  kKeys,           // named keys
  kPairs,          // "source,destination"
  kPaths,          // one path a line, taken whole
  kValues,         // "section,key,value"
  kVariables,      // "name,value"
  kRegistryEdits,  // "action,root,key,name,type,data"
  kIdList,         // one system ID a line
  kMessage,        // [<field 0>.US]: Title, Message1, ...
};

struct FieldFact {
  int index = 0;
  FieldRole role = FieldRole::kText;
  bool expanded = false;  // variables are expanded in it
  bool required = false;  // an empty field makes the command fail or do nothing
  FieldForm form = FieldForm::kAlways;
  const char* outcome = nullptr;  // a target: when it is taken ("Windows 95")
};

struct KeyFact {
  const char* name = nullptr;
  FieldRole role = FieldRole::kText;
  bool expanded = false;
  bool required = false;
};

// A read-only run of table entries.
template <typename T>
struct FactList {
  const T* first = nullptr;
  size_t count = 0;
  const T* begin() const { return first; }
  const T* end() const { return first + count; }
  size_t size() const { return count; }
  bool empty() const { return count == 0; }
};

constexpr size_t kMaxFieldFacts = 5;

struct CommandFacts {
  uint32_t number = 0;
  // As the log shows it; it fits the 50-character field the log line takes
  // it from.
  const char* name = nullptr;
  CommandHandler handler = nullptr;  // null: no command has the number
  AfterCommand after = AfterCommand::kNextSlot;
  bool param0_is_data = false;  // CmdParam0 is "DATA" whatever the line says
  bool supported = false;       // does more than log "Not Supported yet."
  Course course = Course::kGoesOn;
  Effect effect = Effect::kNone;

  ParamForm form = ParamForm::kNone;
  DataKind data = DataKind::kNone;
  bool refuses_wildcards_in_data = false;  // data lines holding '*' are skipped
  const char* count_key = nullptr;         // the [DATA] key of a move's count

  FieldFact field_facts[kMaxFieldFacts];
  size_t field_count = 0;
  KeyFact key_facts[kMaxFieldFacts];
  size_t key_count = 0;

  bool defined() const { return handler != nullptr; }
  // A nonzero result of the command ends the run.
  bool result_ends_run() const {
    return course == Course::kEndsSection || course == Course::kEndsRun;
  }
  FactList<FieldFact> fields() const { return {field_facts, field_count}; }
  FactList<KeyFact> keys() const { return {key_facts, key_count}; }
};

// The table the loop runs commands from: entry n is command n.
struct CommandTable {
  const CommandFacts* entries = nullptr;
  uint32_t count = 0;

  // The entry of `number`, or null for a number no command has.
  const CommandFacts* Find(uint32_t number) const {
    return number < count && entries[number].defined() ? &entries[number] : nullptr;
  }
};

}  // namespace velsetup
