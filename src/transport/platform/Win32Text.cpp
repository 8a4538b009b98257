#include "Win32Text.h"

#include <windows.h>

#include <charconv>
#include <string_view>

namespace rukmox::platform {

std::wstring WideText(const std::string& text) {
  if (text.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                       static_cast<int>(text.size()), nullptr, 0);
  if (size <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                      wide.data(), size);
  return wide;
}

std::string NarrowText(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string narrow(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), size,
                      nullptr, nullptr);
  return narrow;
}

unsigned ComPortNumber(const std::string& name) {
  std::string_view rest = name;
  if (rest.substr(0, 4) == "\\\\.\\") rest.remove_prefix(4);
  if (rest.size() < 4) return 0;
  for (std::size_t i = 0; i < 3; ++i)
    if ((rest[i] | 0x20) != "com"[i]) return 0;
  rest.remove_prefix(3);
  unsigned number = 0;
  const auto [ptr, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), number);
  if (ec != std::errc() || ptr != rest.data() + rest.size() || rest.front() == '0') return 0;
  return number;
}

std::string ComDevicePath(const std::string& name) {
  if (ComPortNumber(name) == 0 || name.rfind("\\\\.\\", 0) == 0) return name;
  return "\\\\.\\" + name;
}

std::string SystemMessage(unsigned long error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = length > 0 && text != nullptr ? std::wstring(text, length) : L"";
  if (text != nullptr) LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                              message.back() == L' ' || message.back() == L'.'))
    message.pop_back();
  if (message.empty()) return "error " + std::to_string(error);
  return NarrowText(message);
}

}  // namespace rukmox::platform
