// What the checker derives from the command table (commands/command_table.h),
// where every fact about a command is kept.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "commands/command_table.h"

namespace velsetup::check {

// "CMD15", as the messages name a command.
std::string ShortName(uint32_t number);

// How many fields of its line the command reads (the highest index it reads,
// plus one) in the form its field 0 selects; 0 for none.
int FieldsRead(const CommandFacts& facts, bool inline_form);

// The fields of CMD17 that the answers of a box of `box_type` pick from;
// none for a box that asks nothing.
std::vector<int> AnswerFields(int32_t box_type);

// The language suffix of CMD17's message section ("Welcome" -> "Welcome.US").
constexpr const char* kMessageSuffix = "US";
// The prefix of the language data sections CMD01 and CMD02 read.
constexpr const char* kLanguageDataPrefix = "Data.";

}  // namespace velsetup::check
