// What the checker knows of each command: which fields of its line it reads
// and what they are, which data section it reads and how, and what it does
// to the course of the run. This is the one place that knowledge lives; the
// checks only ask it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velsetup::check {

enum class FieldRole {
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
enum class FieldForm {
  kAlways,
  kInlineOnly,  // only when field 0 is empty
};

struct FieldRule {
  int index;
  FieldRole role;
  bool expanded;  // variables are expanded in it
  bool required;  // an empty field makes the command fail or do nothing
  FieldForm form;
};

enum class ParamForm {
  kNone,          // reads no field of its line
  kOwnFields,     // reads only fields of its line
  kInlineOrData,  // field 0 empty: fields from 1 on; otherwise field 0 names a data section
  kData,          // field 0 names a data section
};

// How a data section's lines are read.
enum class DataKind {
  kNone,
  kKeys,           // named keys, listed in `keys`
  kPairs,          // "source,destination"
  kPaths,          // one path a line, taken whole
  kValues,         // "section,key,value"
  kVariables,      // "name,value"
  kRegistryEdits,  // "action,root,key,name,type,data"
  kIdList,         // one system ID a line
};

struct KeyRule {
  const char* name;
  FieldRole role;
  bool expanded;
  bool required;
};

struct CommandRule {
  uint32_t number = 0;
  bool defined = false;    // the number is in the command table
  bool supported = false;  // it does more than log "Not Supported yet."
  ParamForm form = ParamForm::kNone;
  std::vector<FieldRule> fields;
  DataKind data = DataKind::kNone;
  std::vector<KeyRule> keys;
  // Data lines holding '*' are refused (skipped with a notice).
  bool refuses_wildcards_in_data = false;
  bool ends_run = false;
  // Stores a next section chosen from its fields. CMD17 does so only for
  // its question boxes; see AnswerFields.
  bool branches = false;
  // What each target field stands for, by field index ("Windows 95").
  std::vector<const char*> outcomes;
  // The [DATA] key holding the count of CMD06 and CMD07.
  const char* count_key = nullptr;
};

// The rule of `number`; one with `defined` false outside 0..35.
const CommandRule& RuleOf(uint32_t number);

// "CMD15", as the messages name a command.
std::string ShortName(uint32_t number);

// How many fields of its line the command reads (the highest index it reads,
// plus one) in the form its field 0 selects; 0 for none.
int FieldsRead(const CommandRule& rule, bool inline_form);

// The fields of CMD17 that the answers of a box of `box_type` pick from;
// none for a box that asks nothing.
std::vector<int> AnswerFields(int32_t box_type);

// The language suffix of CMD17's message section ("Welcome" -> "Welcome.US").
constexpr const char* kMessageSuffix = "US";
// The prefix of the language data sections CMD01 and CMD02 read.
constexpr const char* kLanguageDataPrefix = "Data.";

}  // namespace velsetup::check
