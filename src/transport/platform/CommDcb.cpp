#include "CommDcb.h"

#include <cctype>
#include <charconv>
#include <string_view>
#include <vector>

namespace rukmox::platform {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> SplitFields(std::string_view text) {
  std::vector<std::string_view> fields;
  for (;;) {
    const auto comma = text.find(',');
    fields.push_back(Trim(text.substr(0, comma)));
    if (comma == std::string_view::npos) return fields;
    text.remove_prefix(comma + 1);
  }
}

bool ParseRate(std::string_view text, DWORD* rate) {
  DWORD value = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || ptr != text.data() + text.size() || value == 0)
    return false;
  // The old MODE abbreviations; every other number is the rate itself.
  switch (value) {
    case 11:
      value = 110;
      break;
    case 15:
      value = 150;
      break;
    case 30:
      value = 300;
      break;
    case 60:
      value = 600;
      break;
    case 12:
      value = 1200;
      break;
    case 24:
      value = 2400;
      break;
    case 48:
      value = 4800;
      break;
    case 96:
      value = 9600;
      break;
    case 19:
      value = 19200;
      break;
    default:
      break;
  }
  *rate = value;
  return true;
}

bool ParseParity(std::string_view text, BYTE* parity) {
  if (text.empty()) {
    *parity = FT_NOPARITY;
    return true;
  }
  if (text.size() != 1) return false;
  switch (std::tolower(static_cast<unsigned char>(text[0]))) {
    case 'n':
      *parity = FT_NOPARITY;
      return true;
    case 'o':
      *parity = FT_ODDPARITY;
      return true;
    case 'e':
      *parity = FT_EVENPARITY;
      return true;
    case 'm':
      *parity = FT_MARKPARITY;
      return true;
    case 's':
      *parity = FT_SPACEPARITY;
      return true;
    default:
      return false;
  }
}

bool ParseDataBits(std::string_view text, BYTE* bits) {
  if (text.empty()) {
    *bits = 8;
    return true;
  }
  if (text.size() != 1 || text[0] < '5' || text[0] > '8') return false;
  *bits = static_cast<BYTE>(text[0] - '0');
  return true;
}

bool ParseStopBits(std::string_view text, BYTE* stop) {
  if (text.empty() || text == "1") {
    *stop = FT_ONESTOPBIT;
  } else if (text == "1.5") {
    *stop = FT_ONE5STOPBITS;
  } else if (text == "2") {
    *stop = FT_TWOSTOPBITS;
  } else {
    return false;
  }
  return true;
}

}  // namespace

bool BuildCommDcb(const char* mode, FTDCB* dcb) {
  if (mode == nullptr || dcb == nullptr) return false;
  const auto fields = SplitFields(mode);
  if (fields.size() > 4) return false;
  const auto field = [&](std::size_t i) { return i < fields.size() ? fields[i] : ""; };

  DWORD rate = 0;
  BYTE parity = 0, dataBits = 0, stopBits = 0;
  if (!ParseRate(field(0), &rate) || !ParseParity(field(1), &parity) ||
      !ParseDataBits(field(2), &dataBits) || !ParseStopBits(field(3), &stopBits)) {
    return false;
  }
  // A field given as empty text between commas is as malformed as a missing rate.
  for (std::size_t i = 1; i < fields.size(); ++i)
    if (fields[i].empty()) return false;

  dcb->BaudRate = rate;
  dcb->ByteSize = dataBits;
  dcb->Parity = parity;
  dcb->StopBits = stopBits;
  dcb->fBinary = 1;
  dcb->fParity = parity != FT_NOPARITY ? 1 : 0;
  dcb->fOutxCtsFlow = 0;
  dcb->fOutxDsrFlow = 0;
  dcb->fDsrSensitivity = 0;
  dcb->fOutX = 0;
  dcb->fInX = 0;
  dcb->fDtrControl = FT_DTR_CONTROL_ENABLE;
  dcb->fRtsControl = FT_RTS_CONTROL_ENABLE;
  return true;
}

}  // namespace rukmox::platform
