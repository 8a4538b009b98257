#include "FakeDongle.h"

#include <algorithm>
#include <cstring>

namespace rukmox::test {
namespace {

// The entry points are plain functions; they find the one fake that is alive through this.
FakeDongleState* g_state = nullptr;
constexpr DWORD LocationId = 0x2101;

// Splits what was written into frames: F0, LEN, code, [target], escaped payload.
void Decode(const std::uint8_t* data, DWORD size) {
  DWORD i = 0;
  while (i + 2 < size) {
    if (data[i] != 0xF0) {
      ++i;
      continue;
    }
    Frame frame;
    const DWORD start = i;
    const int length = data[i + 1];
    frame.code = data[i + 2];
    int logical = 2;  // length byte and code
    i += 3;
    if (frame.code != 0) {
      frame.target = i < size ? data[i++] : -1;
      ++logical;
    }
    while (logical < length && i < size) {
      std::uint8_t b = data[i++];
      if (b == 0xEF && i < size) b = data[i++] == 0 ? 0xEF : 0xF0;
      frame.payload.push_back(b);
      ++logical;
    }
    frame.raw.assign(data + start, data + i);
    g_state->frames.push_back(frame);
    if (g_state->onFrame) g_state->onFrame(frame);
    if (g_state->answerBaud != 0 && g_state->baud != g_state->answerBaud) continue;
    if (frame.target == 1 && g_state->remoteHears && !g_state->remoteHears()) continue;
    const auto key = std::make_pair(int{frame.code}, frame.target);
    if (auto once = g_state->onceAnswers.find(key);
        once != g_state->onceAnswers.end() && !once->second.empty()) {
      g_state->Queue(Reply(once->second.front()));
      once->second.pop_front();
    } else if (auto standing = g_state->answers.find(key); standing != g_state->answers.end()) {
      g_state->Queue(Reply(standing->second));
    }
  }
}

FT_HANDLE Handle() {
  return reinterpret_cast<FT_HANDLE>(g_state);
}

}  // namespace

std::vector<Frame> FakeDongleState::FramesOf(int code) const {
  std::vector<Frame> out;
  std::copy_if(frames.begin(), frames.end(), std::back_inserter(out),
               [code](const Frame& f) { return f.code == code; });
  return out;
}

std::size_t FakeDongleState::Count(int code, int target) const {
  return std::count_if(frames.begin(), frames.end(),
                       [&](const Frame& f) { return f.code == code && f.target == target; });
}

Bytes Reply(const Bytes& data) {
  Bytes out{0x64, static_cast<std::uint8_t>(data.size() + 2)};
  // Room first: GCC 12 at -O3 takes the insert into the two-byte vector for a copy past its end
  // (-Warray-bounds).
  out.reserve(out.size() + data.size());
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

FakeDongle::FakeDongle(std::shared_ptr<FakeDongleState> state) : state_(std::move(state)) {
  g_state = state_.get();

  entries_.FT_CreateDeviceInfoList = [](LPDWORD count) -> FT_STATUS {
    *count = g_state->listed ? 1 : 0;
    return FT_OK;
  };
  entries_.FT_GetDeviceInfoDetail = [](DWORD, LPDWORD flags, LPDWORD, LPDWORD, LPDWORD location,
                                       LPVOID, LPVOID description, FT_HANDLE*) -> FT_STATUS {
    *flags = g_state->openedElsewhere ? FT_FLAGS_OPENED : 0;
    *location = LocationId;
    std::strncpy(static_cast<char*>(description), g_state->description.c_str(), 63);
    return FT_OK;
  };
  entries_.FT_W32_CreateFile = [](LPCTSTR name, DWORD, DWORD, LPVOID, DWORD, DWORD,
                                  void*) -> FT_HANDLE {
    if (reinterpret_cast<std::uintptr_t>(name) != LocationId) return FT_INVALID_HANDLE_VALUE;
    g_state->open = true;
    return Handle();
  };
  entries_.FT_W32_CloseHandle = [](FT_HANDLE) -> BOOL {
    g_state->open = false;
    return 1;
  };
  entries_.FT_W32_GetCommState = [](FT_HANDLE, FTDCB* dcb) -> BOOL {
    dcb->BaudRate = g_state->baud;
    return 1;
  };
  entries_.FT_W32_SetCommState = [](FT_HANDLE, FTDCB* dcb) -> BOOL {
    g_state->baud = dcb->BaudRate;
    return 1;
  };
  entries_.FT_W32_GetCommTimeouts = [](FT_HANDLE, FTTIMEOUTS*) -> BOOL { return 1; };
  entries_.FT_W32_SetCommTimeouts = [](FT_HANDLE, FTTIMEOUTS*) -> BOOL { return 1; };
  entries_.FT_W32_SetupComm = [](FT_HANDLE, DWORD, DWORD) -> BOOL { return 1; };
  entries_.FT_W32_PurgeComm = [](FT_HANDLE, DWORD) -> BOOL {
    ++g_state->purges;
    g_state->input.clear();
    return 1;
  };
  entries_.FT_W32_ReadFile = [](FT_HANDLE handle, LPVOID buffer, DWORD size, LPDWORD got,
                                void*) -> BOOL {
    *got = 0;
    if (handle != Handle() || !g_state->open) return 0;
    DWORD n = 0;
    auto* out = static_cast<std::uint8_t*>(buffer);
    while (n < size && !g_state->input.empty()) {
      out[n++] = g_state->input.front();
      g_state->input.pop_front();
    }
    *got = n;
    return 1;
  };
  entries_.FT_W32_WriteFile = [](FT_HANDLE handle, LPVOID buffer, DWORD size, LPDWORD written,
                                 void*) -> BOOL {
    *written = 0;
    if (handle != Handle() || !g_state->open) return 0;
    Decode(static_cast<const std::uint8_t*>(buffer), size);
    *written = size;
    return 1;
  };
  entries_.FT_W32_SetCommBreak = [](FT_HANDLE) -> BOOL {
    g_state->breakOn.push_back(std::chrono::steady_clock::now());
    return 1;
  };
  entries_.FT_W32_ClearCommBreak = [](FT_HANDLE) -> BOOL {
    g_state->breakOff.push_back(std::chrono::steady_clock::now());
    if (g_state->ctsOffAfterBreaks >= 0 &&
        static_cast<int>(g_state->breakOff.size()) >= g_state->ctsOffAfterBreaks) {
      g_state->cts = false;
    }
    return 1;
  };
  entries_.FT_W32_EscapeCommFunction = [](FT_HANDLE, DWORD) -> BOOL { return 1; };
  entries_.FT_W32_GetCommModemStatus = [](FT_HANDLE, LPDWORD status) -> BOOL {
    *status = g_state->cts ? FT_MS_CTS_ON : 0;
    return 1;
  };
  entries_.FT_W32_ClearCommError = [](FT_HANDLE, LPDWORD errors, FTCOMSTAT* stat) -> BOOL {
    *errors = 0;
    *stat = FTCOMSTAT{};
    stat->cbInQue = static_cast<DWORD>(g_state->input.size());
    return 1;
  };
}

FakeDongle::~FakeDongle() {
  g_state = nullptr;
}

}  // namespace rukmox::test
