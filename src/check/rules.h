// The kinds of finding the checker reports, each with an id that stays the
// same from release to release (editors and CI filter and suppress by it) and
// a one-line description for the machine-readable reports.
#pragma once

#include <cstddef>

namespace velsetup::check {

enum class Rule {
  kUnreadableFile,
  // Command lines
  kNotACommandNumber,
  kLooseCommandNumber,
  kSemicolonCut,
  kUnknownCommand,
  kUnsupportedCommand,
  kIgnoredFields,
  kBoxAsksNothing,
  kMissingField,
  // Sections the run goes on with
  kTargetNamesNothing,
  kTargetMissing,
  kTargetEmpty,
  kTargetOwnSection,
  kAfterCommandZero,
  kAfterBranch,
  kMoveWithoutCount,
  kMoveOutOfSection,
  kEndlessLoop,
  // Data sections and lines
  kNoDataSectionName,
  kCommentInList,
  kDataSectionMissing,
  kDataSectionEmpty,
  kNoMessageText,
  kBadSystemId,
  kDataLineSkipped,
  kRegistryEdit,
  kRegistryData,
  kOddDwordDigits,
  kWildcardRefused,
  kWildcardInPath,
  kNoEquals,
  kBlankName,
  kMissingKey,
  kUnreadKey,
  kHiveName,
  kRegistryDataType,
  kNotAFlag,
  kNotANumber,
  kKeptComment,
  // Variables
  kNotExpanded,
  kTokenCutShort,
  kNoVariableClass,
  kTokenDigits,
  kUnknownVariable,
  kTokenDropsRest,
  kVariableNeverSet,
  kNotAVariable,
  // The file as a whole
  kStrayLines,
  kBrokenHeader,
  kRepeatedSection,
  kNoStart,
  kDebugOverride,
  kRepeatedKey,
  kUnusedSection,
  kEncoding,
  kSectionTooLarge,
  kLogFileTooLong,
  kAppendedFileMissing,
  kCount
};

struct RuleInfo {
  const char* id;           // "VC202"
  const char* description;  // one line, no full stop
};

const RuleInfo& InfoOf(Rule rule);
constexpr size_t kRuleCount = static_cast<size_t>(Rule::kCount);

}  // namespace velsetup::check
