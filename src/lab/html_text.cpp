#include "lab/html_text.h"

#include <cstdio>

namespace velsetup::lab {

namespace {
// Bytes 0x80..0x9F are C1 controls in Latin-1, which no HTML text may hold;
// in a Windows script they are the characters of the ANSI code page, which
// is what a browser makes of such an entity too. The five bytes that code
// page leaves empty show as U+FFFD.
const unsigned kWindowsC1[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
}  // namespace

std::string Html(std::string_view text) {
  std::string html;
  html.reserve(text.size());
  for (char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    switch (c) {
      case '&': html += "&amp;"; break;
      case '<': html += "&lt;"; break;
      case '>': html += "&gt;"; break;
      case '"': html += "&quot;"; break;
      case '\'': html += "&#39;"; break;
      case '\t': html += c; break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          html += "&#65533;";
        } else if (byte >= 0xA0) {
          html += "&#" + std::to_string(byte) + ";";
        } else if (byte > 0x7F) {
          html += "&#" + std::to_string(kWindowsC1[byte - 0x80]) + ";";
        } else {
          html += c;
        }
    }
  }
  return html;
}

std::string Num(double value, int decimals) {
  char text[64];
  if (!(value > -1e15 && value < 1e15)) value = 0;
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

}  // namespace velsetup::lab
