#include "check/data_pass.h"

#include <algorithm>

#include "check/command_rules.h"
#include "check/variable_tokens.h"
#include "commands/registry_edit_line.h"
#include "engine/run_state.h"
#include "engine/script_lines.h"
#include "engine/text_cleaning.h"
#include "engine/text_format.h"

namespace velsetup::check {

namespace {

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Whether some 16-bit system ID is written this way in an ID list: "0x" and
// 2 to 4 hexadecimal digits, 1 to 4 digits without the prefix, or a decimal
// number (the forms the list lookup compares with).
bool SpellsSystemId(std::string_view text) {
  const auto all_hex = [](std::string_view digits) {
    return std::all_of(digits.begin(), digits.end(), IsHex);
  };
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    const std::string_view digits = text.substr(2);
    return digits.size() >= 2 && digits.size() <= 4 && all_hex(digits);
  }
  if (!text.empty() && text.size() <= 4 && all_hex(text)) return true;
  if (text.size() != 5 || text[0] == '0') return false;
  if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  return ReadDecimal(text) <= 0xFFFF;
}

}  // namespace

void DataPass::Check(const CommandLine& command) {
  const CommandFacts& rule = command.rule();
  const std::string name = ShortName(command.Number());
  if (rule.data == DataKind::kMessage) return CheckMessageSection(command);
  if (rule.data == DataKind::kIdList) return CheckIdList(command);
  if (rule.form != ParamForm::kData &&
      !(rule.form == ParamForm::kInlineOrData && !command.Inline())) {
    return;
  }
  const std::string section_name = command.Field(0);
  if (section_name.empty()) {
    found_.Error(command.line, Rule::kNoDataSectionName,
                 Concat(name, " needs the name of its data section in field 0"));
    return;
  }
  const ScriptSection* data = FindData(command.line, section_name, name);
  if (data == nullptr) return;
  for (const SectionLine& line : data->lines) CheckDataLine(command, *data, line);
  // These commands skip no comment line of their own.
  if (rule.data == DataKind::kRegistryEdits || rule.data == DataKind::kPaths) {
    for (const SectionLine& comment : data->comment_lines) {
      found_.Warning(comment.line, Rule::kCommentInList,
                     Concat("a comment line in the list of ", name,
                            ": where the section read passes comment lines on, ", name,
                            rule.data == DataKind::kRegistryEdits
                                ? " takes it for an edit line and stops there"
                                : " takes it for a path"));
    }
  }
  if (rule.data == DataKind::kKeys) CheckKeys(command, *data);
}

// The data section a command names; null after reporting it missing or empty.
const ScriptSection* DataPass::FindData(int line, const std::string& section_name,
                              const std::string& name) {
  if (HasToken(section_name)) {
    found_.Warning(line, Rule::kNotExpanded,
                   Concat("variables are not expanded in the data section name of ", name, ": ",
                          Quoted(section_name), " is looked up as written"));
  }
  const ScriptSection* data = script_.Find(section_name);
  if (data == nullptr) {
    MissingSection(line, Rule::kDataSectionMissing,
                   Concat(name, " reads the data section ", Bracketed(section_name),
                          ", which the script does not have"),
                   section_name);
    return nullptr;
  }
  if (data->empty()) {
    found_.Error(line, Rule::kDataSectionEmpty,
                 Concat(name, " reads the data section ", Bracketed(data->name),
                        ", which is empty: the command does nothing"));
    return nullptr;
  }
  return data;
}

void DataPass::CheckMessageSection(const CommandLine& command) {
  const std::string section_name =
      CutTo(Format("%s.%s", command.Field(0).c_str(), kMessageSuffix), capacity::kSectionName);
  const ScriptSection* message = FindData(command.line, section_name, "CMD17");
  if (message == nullptr) return;
  if (!script_.Key(*message, "Message1")) {
    found_.Warning(message->header_line, Rule::kNoMessageText,
                   Concat(Bracketed(message->name), " has no Message1: the box shows no text"));
  }
  for (const SectionLine& line : message->lines) {
    if (HasToken(line.value)) {
      found_.Warning(line.line, Rule::kNotExpanded,
                     Concat("variables are not expanded in message boxes: ", Quoted(line.value),
                            " is shown as written"));
    }
  }
}

void DataPass::CheckIdList(const CommandLine& command) {
  const std::string list = command.Field(0);
  if (list.empty()) {
    found_.Error(command.line, Rule::kNoDataSectionName,
                 "CMD25 needs the name of its ID list in field 0");
    return;
  }
  const ScriptSection* ids = FindData(command.line, list, "CMD25");
  if (ids == nullptr) return;
  for (const SectionLine& line : ids->lines) {
    const std::string id = TrimBlanks(line.text);
    if (!SpellsSystemId(id)) {
      found_.Warning(line.line, Rule::kBadSystemId,
                     Concat(Quoted(id),
                            " spells no system ID (write 0x and 2 to 4 "
                            "hexadecimal digits, or a decimal number)"));
    }
  }
}

void DataPass::CheckDataLine(const CommandLine& command, const ScriptSection& data,
                   const SectionLine& line) {
  const CommandFacts& rule = command.rule();
  const std::string name = ShortName(command.Number());
  const std::string& text = line.text;
  const std::string in_line = Concat("a data line of ", name);
  switch (rule.data) {
    case DataKind::kPairs: {
      PathPair pair;
      switch (ReadPathPair(text, &pair)) {
        case LineVerdict::kTaken: break;
        case LineVerdict::kNoComma:
          found_.Error(
              line.line, Rule::kDataLineSkipped,
              Concat("no comma between source and destination: ", name, " skips the line"));
          return;
        case LineVerdict::kNoSource:
        case LineVerdict::kNoDestination:
          found_.Error(line.line, Rule::kDataLineSkipped,
                       Concat("the ", pair.source.empty() ? "source" : "destination",
                              " is missing: ", name, " skips the line"));
          return;
        default: return;
      }
      if (pair.source.find('*') != std::string::npos) {
        found_.Error(line.line, Rule::kWildcardRefused,
                     Concat(name, " refuses wild cards: it skips the line"));
        return;
      }
      std::string lost;
      if (CutBySemicolon(text.substr(text.find(',') + 1), &lost)) {
        found_.Warning(line.line, Rule::kSemicolonCut,
                       Concat("';' starts a comment in the destination: ", Quoted(lost),
                              " is not part of it"));
      }
      CheckValue(line.line, pair.source, FieldRole::kPath, true, in_line, name);
      CheckValue(line.line, pair.destination, FieldRole::kPath, true, in_line, name);
      return;
    }
    case DataKind::kPaths:
      if (rule.refuses_wildcards_in_data && text.find('*') != std::string::npos) {
        found_.Error(line.line, Rule::kWildcardRefused,
                     Concat(name, " refuses wild cards: it skips the line"));
        return;
      }
      CheckKeptComment(line.line, text);
      CheckValue(line.line, text, FieldRole::kPath, true, in_line, name);
      return;
    case DataKind::kValues: return CheckValueLine(line);
    case DataKind::kVariables: return CheckVariableLine(line);
    case DataKind::kRegistryEdits: return CheckRegistryEdit(line);
    case DataKind::kKeys:
      if (!line.has_equals) {
        found_.Warning(
            line.line, Rule::kNoEquals,
            Concat(Quoted(text), " has no '=': it sets no key of ", Bracketed(data.name)));
      }
      return;
    default: return;
  }
}

void DataPass::CheckValueLine(const SectionLine& line) {
  ValueLine parts;
  switch (ReadValueLine(line.text, &parts)) {
    case LineVerdict::kTaken: break;
    case LineVerdict::kNoComma:
    case LineVerdict::kNoSecondComma:
      found_.Error(line.line, Rule::kDataLineSkipped,
                   "CMD26 needs section,key,value: without its 2 commas the line is skipped");
      return;
    case LineVerdict::kNoSection:
    case LineVerdict::kNoKey:
      found_.Error(line.line, Rule::kDataLineSkipped,
                   Concat("the ", parts.section.empty() ? "section" : "key",
                          " is missing: CMD26 writes no value"));
      return;
    default: return;
  }
  const std::string section = TrimBlanks(parts.section);
  const std::string key = TrimBlanks(parts.key);
  if (section.empty() || key.empty()) {
    // Tested before it is trimmed, a part of blanks passes.
    found_.Warning(line.line, Rule::kBlankName,
                   Concat("the ", section.empty() ? "section" : "key",
                          " is only blanks: CMD26 writes the value under an "
                          "empty ",
                          section.empty() ? "section" : "key", " name"));
  }
  const std::string value = TrimBlanks(parts.value);
  CheckKeptComment(line.line, value);
  for (const std::string* field : {&section, &key, &value}) {
    CheckTokens(line.line, *field, true, "a data line of CMD26");
  }
}

void DataPass::CheckVariableLine(const SectionLine& line) {
  NameValueLine parts;
  switch (ReadNameValueLine(line.text, &parts)) {
    case LineVerdict::kTaken: break;
    case LineVerdict::kNoComma:
      found_.Error(line.line, Rule::kDataLineSkipped,
                   "CMD27 needs name,value: without the comma the line is skipped");
      return;
    case LineVerdict::kNoName:
      found_.Error(line.line, Rule::kDataLineSkipped,
                   "the variable name is missing: CMD27 skips the line");
      return;
    default: return;
  }
  const std::string variable = TrimBlanks(parts.name);
  const std::string value = TrimBlanks(parts.value);
  CheckKeptComment(line.line, value);
  CheckTokens(line.line, value, true, "a data line of CMD27");
  if (HasToken(variable)) {
    CheckTokens(line.line, variable, true, "a data line of CMD27");
  } else {
    CheckValue(line.line, variable, FieldRole::kVariableName, true, "a data line", "CMD27");
  }
}

void DataPass::CheckRegistryEdit(const SectionLine& line) {
  static const char* const kParts[] = {"", "root", "key", "value name", "data type", "data"};
  RegistryEditLine edit;
  const EditLineGap gap = ParseEditLine(line.text, &edit);
  if (gap != EditLineGap::kComplete) {
    found_.Error(line.line, Rule::kDataLineSkipped,
                 Concat("the line lacks the comma before its ", kParts[static_cast<int>(gap)],
                        ": CMD14 stops here and leaves the lines after it undone"));
    return;
  }
  if (edit.action < 1 || edit.action > 3) {
    found_.Error(line.line, Rule::kRegistryEdit,
                 Concat("action ", std::to_string(edit.action),
                        " is none of 1 (set a value), 2 (delete a key tree), 3 "
                        "(delete a value): CMD14 skips the line"));
  }
  RegistryKey root;
  if (!RootKeyOf(edit.root, &root)) {
    found_.Warning(line.line, Rule::kRegistryEdit,
                   Concat("the root ", Quoted(edit.root),
                          " is none of HKCR, HKCC, HKCU, HKLM, HKU, HKPD, HKDD: the "
                          "edit goes to HKEY_LOCAL_MACHINE"));
  }
  if (edit.action == 2 && TrimBlanks(edit.key).empty()) {
    found_.Error(line.line, Rule::kRegistryEdit,
                 "action 2 with no key names the root itself: CMD14 refuses it");
  }
  CheckKeptComment(line.line, line.text);
  CheckTokens(line.line, edit.key, false, "the key of a CMD14 line");
  CheckTokens(line.line, edit.value_name, true, "a CMD14 line");
  CheckTokens(line.line, edit.data, true, "a CMD14 line");
  if ((edit.type_code == 1 || edit.type_code == 2) && !HasToken(edit.data) &&
      !std::all_of(edit.data.begin(), edit.data.end(), IsHex)) {
    found_.Warning(line.line, Rule::kRegistryData,
                   Concat("the data ", Quoted(edit.data),
                          " is not all hexadecimal digits: each other character "
                          "stores as 0"));
  }
  // The engine reads DWORD data two digits a byte from the left, so a lone
  // last digit becomes the high half of the last byte: "1" stores 0x10.
  if (edit.type_code == 2 && !HasToken(edit.data) && edit.data.size() % 2 != 0 &&
      std::all_of(edit.data.begin(), edit.data.end(), IsHex)) {
    const auto dword = [](const std::string& digits) {
      const std::vector<uint8_t> bytes = EditLineData(2, digits);
      return static_cast<uint32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                                   static_cast<uint32_t>(bytes[3]) << 24);
    };
    const uint32_t stored = dword(edit.data);
    const uint32_t meant = dword("0" + edit.data);
    found_.Warning(line.line, Rule::kOddDwordDigits,
                   Concat("the DWORD data ", Quoted(edit.data),
                          " has an odd number of digits: CMD14 stores ",
                          Format("0x%08X (%u), not 0x%08X (%u)", stored, stored, meant, meant),
                          "; write it with a leading 0: ", Quoted("0" + edit.data)));
  }
}

void DataPass::CheckKeys(const CommandLine& command, const ScriptSection& data) {
  const CommandFacts& rule = command.rule();
  const std::string name = ShortName(command.Number());
  std::string known;
  for (const KeyFact& key : rule.keys()) {
    known += known.empty() ? key.name : Concat(", ", key.name);
    const auto value = script_.Key(data, key.name);
    if (!value || value->value.empty()) {
      if (key.required) {
        found_.Error(data.header_line, Rule::kMissingKey,
                     Concat(Bracketed(data.name), " has no ", key.name, ": ", name,
                            " has nothing to work on"));
      }
      continue;
    }
    CheckKeptComment(value->line, value->value);
    CheckValue(value->line, value->value, key.role, key.expanded, Concat(key.name, " of ", name),
               name);
  }
  for (const SectionLine& line : data.lines) {
    if (!line.has_equals) continue;
    const bool read = std::any_of(rule.keys().begin(), rule.keys().end(), [&](const KeyFact& key) {
      return EqualsIgnoreCase(line.key, key.name);
    });
    if (!read) {
      found_.Warning(
          line.line, Rule::kUnreadKey,
          Concat(name, " does not read the key ", Quoted(line.key), " (it reads ", known, ")"));
    }
  }
  const Effect effect = rule.effect;
  if (effect == Effect::kSetsRegistryValue || effect == Effect::kDeletesRegistryValue ||
      effect == Effect::kDeletesRegistryKey) {
    CheckSingleRegistryValue(command, data);
  }
}

void DataPass::CheckSingleRegistryValue(const CommandLine& command, const ScriptSection& data) {
  const std::string name = ShortName(command.Number());
  const auto hive = script_.Key(data, "RegHive");
  if (hive && HiveKeyOf(hive->value) == registry_key::kLocalMachine &&
      !EqualsIgnoreCase(hive->value, "HKEY_LOCAL_MACHINE")) {
    found_.Warning(hive->line, Rule::kHiveName,
                   Concat("RegHive ", Quoted(hive->value),
                          " is no full hive name (HKEY_CURRENT_USER, ...): ", name,
                          " works below HKEY_LOCAL_MACHINE"));
  }
  const auto key = script_.Key(data, "RegKey");
  const Effect effect = command.rule().effect;
  if ((!key || key->value.empty()) && effect == Effect::kDeletesRegistryKey) {
    found_.Error(key ? key->line : data.header_line, Rule::kMissingKey,
                 "CMD12 with no RegKey names the hive itself: the tool refuses it");
  }
  const auto type = script_.Key(data, "RegDataType");
  const int32_t type_code = type ? ReadIntValue(type->value, 0) : 0;
  if (effect == Effect::kSetsRegistryValue && (type_code == 1 || type_code == 2)) {
    found_.Warning(type->line, Rule::kRegistryDataType,
                   Concat("CMD03 stores the characters of RegData as they are for type ",
                          std::to_string(type_code),
                          ", not the number or bytes they spell (CMD14 converts hexadecimal)"));
  }
}


}  // namespace velsetup::check
