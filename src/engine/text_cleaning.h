// Cleaning of text that comes from a script or a command line. Both operations
// work in place on a zero-terminated 8-bit text and return a pointer to its
// first kept character; nothing is allocated.
//
// A leading blank is whitespace or a control byte. A control byte is any byte
// below 0x20 when read as a signed char, so bytes 0x80..0xFF count too: the
// tool has always dropped them at the start of a text. At the end of a text
// only whitespace is dropped.
#pragma once

#include <string>
#include <string_view>

namespace velsetup {

// Skips leading blanks, cuts the text at its first ';' and removes trailing
// whitespace. A null text logs a warning and gives null.
char* StripCommentsAndEtc(char* text);

// As StripCommentsAndEtc without the ';' cut and without the null test.
char* TrimBlanks(char* text);

// Copying forms for callers that hold std::string.
std::string StripCommentsAndEtc(std::string_view text);
std::string TrimBlanks(std::string_view text);

bool IsCleaningWhitespace(char c);
bool IsLeadingBlank(char c);

}  // namespace velsetup
