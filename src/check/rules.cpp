#include "check/rules.h"

namespace velsetup::check {

namespace {

// In the order of the enumeration. An id, once published, is never given to
// another kind of finding: a retired rule keeps its number unused.
const RuleInfo kRules[kRuleCount] = {
    {"VC001", "A file that cannot be read"},
    {"VC101", "A command number that is not a number: the line runs as command 0"},
    {"VC102", "A command number written so that it reads as another number"},
    {"VC103", "A ';' that ends a command line or destination in mid-value"},
    {"VC104", "A command number that names no command"},
    {"VC105", "A command the tool only logs as not supported"},
    {"VC106", "Fields after those a command reads, which are ignored"},
    {"VC107", "A CMD17 box that asks nothing but is given sections for its answers"},
    {"VC108", "A command without a field it needs"},
    {"VC201", "A branch, jump, box answer or NextSection that names no section"},
    {"VC202", "A branch, jump, box answer or NextSection into a section the script lacks"},
    {"VC203", "A branch, jump, box answer or NextSection into an empty section"},
    {"VC204", "A jump to its own section, which ends the run"},
    {"VC205", "Lines after a command 0, which do not run with their section"},
    {"VC206", "Commands after a branch, which still run"},
    {"VC207", "CMD06 or CMD07 without a count of 1 or more"},
    {"VC208", "CMD06 or CMD07 that moves out of its section"},
    {"VC209", "A CMD06 loop that nothing ends"},
    {"VC301", "A command without the name of its data section"},
    {"VC302", "A comment line in a list whose command does not skip it"},
    {"VC303", "A data section the script lacks"},
    {"VC304", "An empty data section"},
    {"VC305", "A message section without Message1"},
    {"VC306", "An entry of a CMD25 list that spells no system ID"},
    {"VC307", "A data line its command skips for a missing comma or part"},
    {"VC308", "A CMD14 line with an unknown action or root, or one that deletes a root"},
    {"VC309", "CMD14 data that is not all hexadecimal digits"},
    {"VC310", "CMD14 DWORD data with an odd number of digits, stored shifted"},
    {"VC311", "A wild card in the list of a command that refuses them"},
    {"VC312", "A wild card in a path, where no file can have such a name"},
    {"VC313", "A line of a key section without '='"},
    {"VC314", "A CMD26 section or key that is only blanks"},
    {"VC315", "A data section without a key its command needs"},
    {"VC316", "A key its command never reads"},
    {"VC317", "A RegHive that is no full hive name"},
    {"VC318", "A CMD03 data type whose data is stored as text"},
    {"VC319", "A flag that is neither TRUE nor FALSE"},
    {"VC320", "A number that is not a number, or is negative"},
    {"VC321", "A ' ; note' inside a value, which stays part of it"},
    {"VC401", "A variable where nothing expands it"},
    {"VC402", "A variable token cut short by the end of the text"},
    {"VC403", "A ~% token whose class letter is neither C nor V"},
    {"VC404", "A variable number not written with three digits"},
    {"VC405", "A variable number that names no variable"},
    {"VC406", "A ~%C000 with text behind it, which is lost"},
    {"VC407", "A script variable that nothing sets"},
    {"VC408", "A variable name the expansion never reads"},
    {"VC501", "Lines before the first section header"},
    {"VC502", "A section header without its ']'"},
    {"VC503", "A second section of a name, which is never read"},
    {"VC504", "A missing or empty [CommandsList]"},
    {"VC505", "The debug override left on"},
    {"VC506", "A second key of a name, which is never read"},
    {"VC507", "A section that nothing reaches or reads"},
    {"VC508", "A script in an encoding the profile calls do not read (UTF-8 mark, UTF-16)"},
    {"VC509", "A section longer than Windows 95 and 98 read"},
    {"VC510", "A LogFile longer than the tool keeps"},
    {"VC511", "A file that CMD28 appends, missing beside the script"},
};

}  // namespace

const RuleInfo& InfoOf(Rule rule) { return kRules[static_cast<size_t>(rule)]; }

}  // namespace velsetup::check
