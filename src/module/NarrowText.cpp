#include "NarrowText.h"

#include <cstdint>

namespace rukmox {
namespace {

// Code points of bytes 80..9F in Windows-1252; the five unassigned bytes map to their C1 codes,
// as Windows itself round-trips them.
constexpr char32_t HighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char ByteOf(char32_t code) {
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<char>(code);
  for (int i = 0; i < 32; ++i) {
    if (HighControls[i] == code) return static_cast<char>(0x80 + i);
  }
  return '?';
}

char32_t CodeOf(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return HighControls[byte - 0x80];
  return byte;
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace

std::string ToNarrow(std::string_view utf8) {
  std::string out;
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    int extra = 0;
    char32_t code = 0;
    if (lead < 0x80) {
      code = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1;
      code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2;
      code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3;
      code = lead & 0x07;
    } else {
      out += '?';  // a stray continuation byte or an invalid lead byte
      ++i;
      continue;
    }
    std::size_t k = 1;
    for (; k <= static_cast<std::size_t>(extra); ++k) {
      if (i + k >= utf8.size()) break;
      const auto next = static_cast<unsigned char>(utf8[i + k]);
      if ((next & 0xC0) != 0x80) break;
      code = (code << 6) | (next & 0x3F);
    }
    if (k <= static_cast<std::size_t>(extra)) {
      out += '?';  // truncated sequence: one "?" for the broken character
      i += k;
      continue;
    }
    const bool overlong = (extra == 1 && code < 0x80) || (extra == 2 && code < 0x800) ||
                          (extra == 3 && code < 0x10000);
    out += overlong ? '?' : ByteOf(code);
    i += k;
  }
  return out;
}

std::string FromNarrow(std::string_view narrow) {
  std::string out;
  for (char c : narrow) AppendUtf8(out, CodeOf(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace rukmox
