// Text made safe for the lab's page, in element content and in quoted
// attributes alike.
#pragma once

#include <string>
#include <string_view>

namespace velsetup::lab {

// The markup characters as entities, and each byte above 0x7F as the
// numeric entity of its Latin-1 character (of the Windows code page for
// 0x80..0x9F, see html_text.cpp): the scripts are 8-bit text, and
// the page must stay valid UTF-8 whatever bytes they hold. Control bytes,
// which no HTML text may hold, show as U+FFFD.
std::string Html(std::string_view text);

// A number as text, for attributes and cells.
std::string Num(double value, int decimals = 0);

}  // namespace velsetup::lab
