// The grammar of a script's lines, read once for the tool and the checker:
// each reader gives the parts it found, or why the command that reads the
// line skips it. The tool logs and acts on the verdict; the checker reports
// it, so the two cannot disagree on what a line does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velsetup {

// What a line of a data section is to the command that reads it.
enum class LineVerdict {
  kTaken,
  kComment,         // begins with ';': skipped without a word
  kNoComma,         // lacks the (first) comma the line needs
  kNoSecondComma,   // "section,key,value" lacks its second comma
  kNoSource,        // "source,destination" with nothing before the comma
  kNoDestination,   // ... or nothing after it
  kNoSection,       // "section,key,value" with nothing before the first comma
  kNoKey,           // ... or nothing between the commas
  kNoName,          // "name,value" with nothing before the comma
};

// A command line of a command section, as a section start writes it into
// its slot: the number is the text before the first comma; `rest` is the
// line from that comma on; each field is the text between two commas with
// the comment cut and the blanks dropped. A line without a comma has no
// fields (and `rest` is empty).
struct CommandLineParts {
  std::string number;
  std::string rest;
  std::vector<std::string> fields;
};
CommandLineParts SplitCommandLine(std::string_view line);

// "source,destination" of the copy and rename commands: split at the first
// comma, both trimmed, the destination's comment cut off. A source that
// begins with ';' is a comment line.
struct PathPair {
  std::string source;
  std::string destination;
};
LineVerdict ReadPathPair(std::string_view line, PathPair* pair);

// "section,key,value" of CMD26. The parts are as the line holds them: the
// command tests them for emptiness before it trims them, so a part of blanks
// is taken and ends up empty.
struct ValueLine {
  std::string section;
  std::string key;
  std::string value;
};
LineVerdict ReadValueLine(std::string_view line, ValueLine* parts);

// "name,value" of CMD27; the parts untrimmed, as for ReadValueLine.
struct NameValueLine {
  std::string name;
  std::string value;
};
LineVerdict ReadNameValueLine(std::string_view line, NameValueLine* parts);

// "action,root,key,name,type,data" of a multi-line registry edit.
struct RegistryEditLine {
  int32_t action = 0;      // 1 set a value, 2 delete a key tree, 3 delete a value
  std::string root;        // HKLM, HKCU, ...
  std::string key;
  std::string value_name;
  int32_t type_code = 0;   // as RegistryTypeOf takes it
  std::string data;        // everything after the fifth comma
};

// Which comma a line lacks; kComplete when it has all five.
enum class EditLineGap { kComplete, kRoot, kKey, kValueName, kDataType, kData };

// Cuts a line into its six fields. After each comma the whole rest of the
// line loses its leading and trailing blanks before the next comma is looked
// for, so a blank before a comma stays in its field.
EditLineGap ParseEditLine(std::string_view line, RegistryEditLine* fields);

}  // namespace velsetup
