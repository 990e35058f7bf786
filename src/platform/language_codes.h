// The maker's two-letter code of a Windows language identifier: what ~%C105
// gives a script, and what a machine of the maker keeps as its language in
// its description file. One table for the tool and the simulated factory.
#pragma once

#include <cstdint>

namespace velsetup {

// The code of `language_id`, or null for a language that has none.
inline const char* LanguageCodeOf(uint16_t language_id) {
  // The primary language is taken with the mask 0x2FF, as the tool always
  // has; for every language listed here that is the standard primary id.
  const unsigned primary = language_id & 0x2FFu;
  const unsigned sublanguage = language_id >> 10;
  switch (primary) {
    case 0x01: return "AR";
    case 0x02: return "BU";
    case 0x04:
      if (sublanguage == 2) return "CH";
      if (sublanguage == 1 || sublanguage == 3 || sublanguage == 4) return "TW";
      return nullptr;
    case 0x05: return "CS";
    case 0x06: return "DK";
    case 0x07: return "GR";
    case 0x08: return "GK";
    case 0x09: return "US";
    case 0x0A: return "SP";
    case 0x0B: return "FI";
    case 0x0C: return "FR";
    case 0x0D: return "IL";
    case 0x0E: return "HU";
    case 0x10: return "IT";
    case 0x11: return "JP";
    case 0x12: return "KR";
    case 0x13: return "NL";
    case 0x14: return "NO";
    case 0x15: return "PL";
    case 0x16: return sublanguage == 1 ? "BR" : "PT";
    case 0x18: return "RO";
    case 0x19: return "RU";
    case 0x1B: return "SK";
    case 0x1D: return "SE";
    case 0x1E: return "TH";
    case 0x1F: return "TR";
    case 0x21: return "ID";
    case 0x24: return "SL";
    default: return nullptr;
  }
}

}  // namespace velsetup
