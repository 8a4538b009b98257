// The two ends of a serial line on Windows: two COM ports joined like a null-modem cable, named
// by RUKMOX_TEST_LINE (the end the code under test opens) and RUKMOX_TEST_PEER (the test's end).
// Under Wine the Windows stage joins two pseudo-terminals with socat and maps them to COM ports.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace rukmox::test {

class LinePair {
 public:
  LinePair() {
    const char* line = std::getenv("RUKMOX_TEST_LINE");
    const char* peer = std::getenv("RUKMOX_TEST_PEER");
    if (line == nullptr || peer == nullptr) return;
    path_ = line;
    // What an earlier test left in the line is gone before this one starts, on both ends.
    HANDLE own = Open(path_);
    peer_ = Open(peer);
    if (peer_ == INVALID_HANDLE_VALUE) {
      if (own != INVALID_HANDLE_VALUE) CloseHandle(own);
      return;
    }
    for (HANDLE h : {own, peer_}) {
      if (h == INVALID_HANDLE_VALUE) continue;
      Drain(h);
    }
    if (own != INVALID_HANDLE_VALUE) CloseHandle(own);
  }
  ~LinePair() {
    if (peer_ != INVALID_HANDLE_VALUE) CloseHandle(peer_);
  }
  LinePair(const LinePair&) = delete;
  LinePair& operator=(const LinePair&) = delete;

  bool ok() const { return peer_ != INVALID_HANDLE_VALUE && !path_.empty(); }
  const std::string& path() const { return path_; }

  bool Send(const std::vector<std::uint8_t>& bytes) {
    DWORD written = 0;
    return WriteFile(peer_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
  }

  // Everything that arrives until `quiet` passes without a byte or `limit` ends.
  std::vector<std::uint8_t> Receive(
      std::chrono::milliseconds quiet = std::chrono::milliseconds(50),
      std::chrono::milliseconds limit = std::chrono::milliseconds(2000)) {
    std::vector<std::uint8_t> out;
    // Return as soon as a byte is there, or after `quiet` with none.
    COMMTIMEOUTS t{MAXDWORD, MAXDWORD, static_cast<DWORD>(quiet.count()), 0, 0};
    SetCommTimeouts(peer_, &t);
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      std::uint8_t buf[256];
      DWORD n = 0;
      if (!ReadFile(peer_, buf, sizeof buf, &n, nullptr) || n == 0) break;
      out.insert(out.end(), buf, buf + n);
    }
    return out;
  }

 private:
  static HANDLE Open(const std::string& name) {
    const std::string device = "\\\\.\\" + name;
    HANDLE h = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return h;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    GetCommState(h, &dcb);
    BuildCommDCBA("9600,n,8,1", &dcb);
    dcb.fBinary = TRUE;
    SetCommState(h, &dcb);
    return h;
  }

  static void Drain(HANDLE h) {
    COMMTIMEOUTS t{MAXDWORD, MAXDWORD, 30, 0, 0};
    SetCommTimeouts(h, &t);
    std::uint8_t buf[4096];
    DWORD n = 0;
    for (int i = 0; i < 100 && ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0; ++i) {
    }
    PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR);
  }

  std::string path_;
  HANDLE peer_ = INVALID_HANDLE_VALUE;
};

inline std::string MissingPortName() {
  return "COM250";
}

// Windows gives a COM port to one handle at a time; Wine does not.
inline bool PortsAreShared() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace rukmox::test
