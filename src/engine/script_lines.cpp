#include "engine/script_lines.h"

#include "engine/text_cleaning.h"
#include "engine/text_format.h"

namespace velsetup {

namespace {

bool IsCommentLine(std::string_view line) { return !line.empty() && line[0] == ';'; }

}  // namespace

CommandLineParts SplitCommandLine(std::string_view line) {
  CommandLineParts parts;
  const size_t comma = line.find(',');
  parts.number = std::string(line.substr(0, comma));
  if (comma == std::string_view::npos) return parts;
  parts.rest = std::string(line.substr(comma));
  size_t start = comma + 1;
  for (;;) {
    const size_t next = line.find(',', start);
    parts.fields.push_back(StripCommentsAndEtc(
        line.substr(start, next == std::string_view::npos ? std::string_view::npos : next - start)));
    if (next == std::string_view::npos) break;
    start = next + 1;
  }
  return parts;
}

LineVerdict ReadPathPair(std::string_view line, PathPair* pair) {
  const size_t comma = line.find(',');
  if (comma == std::string_view::npos) return LineVerdict::kNoComma;
  pair->source = TrimBlanks(line.substr(0, comma));
  pair->destination = StripCommentsAndEtc(TrimBlanks(line.substr(comma + 1)));
  if (IsCommentLine(pair->source)) return LineVerdict::kComment;
  if (pair->source.empty()) return LineVerdict::kNoSource;
  if (pair->destination.empty()) return LineVerdict::kNoDestination;
  return LineVerdict::kTaken;
}

LineVerdict ReadValueLine(std::string_view line, ValueLine* parts) {
  // The section stands where a name/value line has its name, the key and
  // value in what such a line calls its value.
  NameValueLine head;
  const LineVerdict verdict = ReadNameValueLine(line, &head);
  if (verdict == LineVerdict::kComment || verdict == LineVerdict::kNoComma) return verdict;
  parts->section = std::move(head.name);
  const size_t comma = head.value.find(',');
  if (comma == std::string::npos) return LineVerdict::kNoSecondComma;
  parts->key = head.value.substr(0, comma);
  parts->value = head.value.substr(comma + 1);
  if (parts->section.empty()) return LineVerdict::kNoSection;
  if (parts->key.empty()) return LineVerdict::kNoKey;
  return LineVerdict::kTaken;
}

LineVerdict ReadNameValueLine(std::string_view line, NameValueLine* parts) {
  if (IsCommentLine(line)) return LineVerdict::kComment;
  const size_t comma = line.find(',');
  if (comma == std::string_view::npos) return LineVerdict::kNoComma;
  parts->name = std::string(line.substr(0, comma));
  parts->value = std::string(line.substr(comma + 1));
  if (parts->name.empty()) return LineVerdict::kNoName;
  return LineVerdict::kTaken;
}

EditLineGap ParseEditLine(std::string_view line, RegistryEditLine* fields) {
  constexpr EditLineGap kGaps[] = {EditLineGap::kRoot, EditLineGap::kKey,
                                   EditLineGap::kValueName, EditLineGap::kDataType,
                                   EditLineGap::kData};
  std::string* texts[] = {&fields->root, &fields->key, &fields->value_name, nullptr};
  std::string type_text;
  texts[3] = &type_text;

  size_t comma = line.find(',');
  if (comma == std::string_view::npos) return kGaps[0];
  fields->action = ReadDecimal(line.substr(0, comma));
  std::string rest = TrimBlanks(line.substr(comma + 1));
  for (int field = 0; field < 4; ++field) {
    comma = rest.find(',');
    if (comma == std::string::npos) return kGaps[field + 1];
    *texts[field] = rest.substr(0, comma);
    rest = TrimBlanks(std::string_view(rest).substr(comma + 1));
  }
  fields->type_code = ReadDecimal(type_text);
  fields->data = std::move(rest);
  return EditLineGap::kComplete;
}

}  // namespace velsetup
