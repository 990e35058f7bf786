#include "check/command_rules.h"

#include "engine/text_format.h"

namespace velsetup::check {

std::string ShortName(uint32_t number) { return Format("CMD%02u", static_cast<unsigned>(number)); }

int FieldsRead(const CommandFacts& facts, bool inline_form) {
  int count = 0;
  if (facts.form == ParamForm::kData || facts.form == ParamForm::kInlineOrData) count = 1;
  for (const FieldFact& field : facts.fields()) {
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
