#include "check/command_rules.h"

#include <array>

#include "engine/command_table.h"
#include "engine/text_format.h"

namespace velsetup::check {

namespace {

using R = FieldRole;
constexpr FieldForm kAlways = FieldForm::kAlways;
constexpr FieldForm kInline = FieldForm::kInlineOnly;
constexpr bool kExpanded = true;
constexpr bool kAsWritten = false;
constexpr bool kRequired = true;
constexpr bool kOptional = false;

std::array<CommandRule, kCommandCount> BuildRules() {
  std::array<CommandRule, kCommandCount> t{};
  for (uint32_t n = 0; n < kCommandCount; ++n) {
    t[n].number = n;
    t[n].defined = true;
    t[n].supported = true;
  }

  // Link commands: keys of the data section, none of them expanded.
  t[1].form = ParamForm::kData;
  t[1].data = DataKind::kKeys;
  t[1].keys = {{"AddLinkFile", R::kPath, kAsWritten, kRequired}};
  t[2] = t[1];
  t[2].number = 2;
  t[2].keys = {{"DeleteLinkFile", R::kPath, kAsWritten, kRequired}};

  // One registry handler reads all five keys for each of the three commands.
  t[3].form = ParamForm::kData;
  t[3].data = DataKind::kKeys;
  t[3].keys = {{"RegHive", R::kText, kAsWritten, kOptional},
               {"RegKey", R::kText, kAsWritten, kOptional},
               {"RegValue", R::kText, kAsWritten, kOptional},
               {"RegData", R::kText, kExpanded, kOptional},
               {"RegDataType", R::kNumber, kAsWritten, kOptional}};
  t[4] = t[3];
  t[4].number = 4;
  t[12] = t[3];
  t[12].number = 12;

  t[6].count_key = "DecCommand";
  t[7].count_key = "IncCommand";
  for (uint32_t n : {8u, 10u, 20u, 29u}) t[n].ends_run = true;

  t[9].form = ParamForm::kOwnFields;
  t[9].branches = true;
  t[9].fields = {{0, R::kTarget, kAsWritten, kRequired, kAlways},
                 {1, R::kTarget, kAsWritten, kRequired, kAlways}};
  t[9].outcomes = {"the maker's machine", "any other machine"};

  t[11].form = ParamForm::kInlineOrData;
  t[11].fields = {{1, R::kCommandLine, kExpanded, kRequired, kInline},
                  {2, R::kFlag, kAsWritten, kOptional, kInline}};
  t[11].data = DataKind::kKeys;
  t[11].keys = {{"Program", R::kCommandLine, kExpanded, kRequired},
                {"WaitToExit", R::kFlag, kAsWritten, kOptional}};

  t[13].form = ParamForm::kOwnFields;
  t[13].fields = {{0, R::kNumber, kAsWritten, kRequired, kAlways}};

  t[14].form = ParamForm::kData;
  t[14].data = DataKind::kRegistryEdits;

  t[15].form = ParamForm::kInlineOrData;
  t[15].fields = {{1, R::kPath, kExpanded, kRequired, kInline},
                  {2, R::kPath, kExpanded, kRequired, kInline}};
  t[15].data = DataKind::kPairs;
  t[15].refuses_wildcards_in_data = true;
  t[31] = t[15];
  t[31].number = 31;

  t[16].form = ParamForm::kInlineOrData;
  t[16].fields = {{1, R::kPath, kExpanded, kRequired, kInline}};
  t[16].data = DataKind::kPaths;
  t[16].refuses_wildcards_in_data = true;
  t[21] = t[16];
  t[21].number = 21;
  t[21].refuses_wildcards_in_data = false;

  // Field 1 is the box type; the answers of a question box pick fields 2 to 4.
  t[17].form = ParamForm::kOwnFields;
  t[17].fields = {{0, R::kDataSection, kAsWritten, kRequired, kAlways},
                  {1, R::kNumber, kAsWritten, kOptional, kAlways},
                  {2, R::kAnswerTarget, kAsWritten, kOptional, kAlways},
                  {3, R::kAnswerTarget, kAsWritten, kOptional, kAlways},
                  {4, R::kAnswerTarget, kAsWritten, kOptional, kAlways}};

  t[18].form = ParamForm::kOwnFields;
  t[18].branches = true;
  for (int i = 0; i < 5; ++i)
    t[18].fields.push_back({i, R::kTarget, kAsWritten, kRequired, kAlways});
  t[18].outcomes = {"any other Windows", "Windows 95", "Windows 98", "Windows NT 4.0",
                    "Windows 2000"};

  t[19].form = ParamForm::kOwnFields;
  t[19].branches = true;
  t[19].fields = {{0, R::kTarget, kExpanded, kRequired, kAlways}};

  for (uint32_t n : {22u, 23u, 24u, 33u, 34u, 35u}) t[n].supported = false;

  t[25].form = ParamForm::kOwnFields;
  t[25].branches = true;
  t[25].data = DataKind::kIdList;
  t[25].fields = {{0, R::kDataSection, kAsWritten, kRequired, kAlways},
                  {1, R::kTarget, kExpanded, kRequired, kAlways},
                  {2, R::kTarget, kExpanded, kRequired, kAlways}};
  t[25].outcomes = {"", "a listed system ID", "an unlisted system ID"};

  t[26].form = ParamForm::kInlineOrData;
  t[26].fields = {{1, R::kText, kExpanded, kRequired, kInline},
                  {2, R::kText, kExpanded, kRequired, kInline},
                  {3, R::kText, kExpanded, kOptional, kInline}};
  t[26].data = DataKind::kValues;

  t[27].form = ParamForm::kInlineOrData;
  t[27].fields = {{1, R::kVariableName, kAsWritten, kRequired, kInline},
                  {2, R::kText, kExpanded, kOptional, kInline}};
  t[27].data = DataKind::kVariables;

  t[28].form = ParamForm::kOwnFields;
  t[28].fields = {{0, R::kPath, kExpanded, kRequired, kAlways}};

  // The deletion of CMD16 on fields 0 and 1, then the restart choice.
  t[29].form = ParamForm::kInlineOrData;
  t[29].fields = {{1, R::kPath, kExpanded, kOptional, kInline},
                  {2, R::kFlag, kAsWritten, kOptional, kAlways}};
  t[29].data = DataKind::kPaths;
  t[29].refuses_wildcards_in_data = true;

  t[30].form = ParamForm::kOwnFields;
  t[30].branches = true;
  for (int i = 0; i < 3; ++i)
    t[30].fields.push_back({i, R::kTarget, kAsWritten, kRequired, kAlways});
  t[30].outcomes = {"any Windows but 98", "Windows 98 with APM", "Windows 98 with ACPI"};

  t[32].form = ParamForm::kOwnFields;
  t[32].fields = {{0, R::kText, kAsWritten, kOptional, kAlways}};
  return t;
}

}  // namespace

const CommandRule& RuleOf(uint32_t number) {
  static const std::array<CommandRule, kCommandCount> rules = BuildRules();
  static const CommandRule undefined{};
  return number < kCommandCount ? rules[number] : undefined;
}

std::string ShortName(uint32_t number) { return Format("CMD%02u", static_cast<unsigned>(number)); }

int FieldsRead(const CommandRule& rule, bool inline_form) {
  int count = 0;
  if (rule.form == ParamForm::kData || rule.form == ParamForm::kInlineOrData) count = 1;
  for (const FieldRule& field : rule.fields) {
    if (field.role == FieldRole::kAnswerTarget) continue;
    if (field.form == FieldForm::kInlineOnly && !inline_form) continue;
    if (field.index + 1 > count) count = field.index + 1;
  }
  return count;
}

std::vector<int> AnswerFields(int32_t box_type) {
  switch (box_type) {
    case 2:
    case 3: return {2, 3};
    case 4: return {2, 3, 4};
    default: return {};
  }
}

}  // namespace velsetup::check
