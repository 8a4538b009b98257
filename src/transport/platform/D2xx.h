// Types and entry points of FTDI's D2XX library, as its programmer's guide publishes them for the
// Win32-style (FT_W32_) calls. Written here so that nothing of the vendor's is needed to build.
#pragma once

#include <cstdint>
#include <functional>
#include <type_traits>

#ifdef _WIN32
// The library's own header builds on these; take them from the system rather than clash with it.
#include <windows.h>
#endif

extern "C" {

#ifndef _WIN32
using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using BYTE = std::uint8_t;
using BOOL = int;
using LPDWORD = DWORD*;
using LPVOID = void*;
using LPCTSTR = const char*;
#endif
using FT_HANDLE = void*;
using FT_STATUS = std::uint32_t;  // the low 32 bits of the library's ULONG

inline constexpr FT_STATUS FT_OK = 0;
inline constexpr FT_STATUS FT_INVALID_HANDLE = 1;
inline constexpr FT_STATUS FT_DEVICE_NOT_FOUND = 2;
inline constexpr FT_STATUS FT_DEVICE_NOT_OPENED = 3;
inline constexpr FT_STATUS FT_IO_ERROR = 4;
inline constexpr FT_STATUS FT_INSUFFICIENT_RESOURCES = 5;
inline constexpr FT_STATUS FT_INVALID_PARAMETER = 6;
inline const FT_HANDLE FT_INVALID_HANDLE_VALUE = reinterpret_cast<FT_HANDLE>(~std::uintptr_t{0});

// Device list flags, chip types and FT_W32_CreateFile arguments.
inline constexpr DWORD FT_FLAGS_OPENED = 0x1;
inline constexpr DWORD FT_FLAGS_HISPEED = 0x2;
inline constexpr DWORD FT_DEVICE_BM = 0;
inline constexpr DWORD FT_DEVICE_AM = 1;
inline constexpr DWORD FT_DEVICE_UNKNOWN = 3;
inline constexpr DWORD FT_DEVICE_2232C = 4;
inline constexpr DWORD FT_DEVICE_232R = 5;
inline constexpr DWORD FT_DEVICE_2232H = 6;
inline constexpr DWORD FT_DEVICE_4232H = 7;
inline constexpr DWORD FT_DEVICE_232H = 8;
inline constexpr DWORD FT_DEVICE_X_SERIES = 9;
inline constexpr DWORD FT_OPEN_BY_SERIAL_NUMBER = 0x1;
inline constexpr DWORD FT_OPEN_BY_DESCRIPTION = 0x2;
inline constexpr DWORD FT_OPEN_BY_LOCATION = 0x4;
inline constexpr DWORD FT_GENERIC_READ = 0x80000000;
inline constexpr DWORD FT_GENERIC_WRITE = 0x40000000;
inline constexpr DWORD FT_OPEN_EXISTING = 3;
inline constexpr DWORD FT_FILE_ATTRIBUTE_NORMAL = 0x80;

// FT_W32_PurgeComm masks, FT_W32_EscapeCommFunction codes, modem status bits.
inline constexpr DWORD FT_PURGE_TXCLEAR = 0x4;
inline constexpr DWORD FT_PURGE_RXCLEAR = 0x8;
inline constexpr DWORD FT_SETRTS = 3;
inline constexpr DWORD FT_CLRRTS = 4;
inline constexpr DWORD FT_SETDTR = 5;
inline constexpr DWORD FT_CLRDTR = 6;
inline constexpr DWORD FT_MS_CTS_ON = 0x10;
inline constexpr DWORD FT_MS_DSR_ON = 0x20;
inline constexpr DWORD FT_MS_RING_ON = 0x40;
inline constexpr DWORD FT_MS_RLSD_ON = 0x80;

// Line settings values of the FTDCB record.
inline constexpr BYTE FT_NOPARITY = 0;
inline constexpr BYTE FT_ODDPARITY = 1;
inline constexpr BYTE FT_EVENPARITY = 2;
inline constexpr BYTE FT_MARKPARITY = 3;
inline constexpr BYTE FT_SPACEPARITY = 4;
inline constexpr BYTE FT_ONESTOPBIT = 0;
inline constexpr BYTE FT_ONE5STOPBITS = 1;
inline constexpr BYTE FT_TWOSTOPBITS = 2;
inline constexpr DWORD FT_DTR_CONTROL_DISABLE = 0;
inline constexpr DWORD FT_DTR_CONTROL_ENABLE = 1;
inline constexpr DWORD FT_DTR_CONTROL_HANDSHAKE = 2;
inline constexpr DWORD FT_RTS_CONTROL_DISABLE = 0;
inline constexpr DWORD FT_RTS_CONTROL_ENABLE = 1;
inline constexpr DWORD FT_RTS_CONTROL_HANDSHAKE = 2;
inline constexpr DWORD FT_RTS_CONTROL_TOGGLE = 3;

struct FTDCB {
  DWORD DCBlength;
  DWORD BaudRate;
  DWORD fBinary : 1;
  DWORD fParity : 1;
  DWORD fOutxCtsFlow : 1;
  DWORD fOutxDsrFlow : 1;
  DWORD fDtrControl : 2;
  DWORD fDsrSensitivity : 1;
  DWORD fTXContinueOnXoff : 1;
  DWORD fOutX : 1;
  DWORD fInX : 1;
  DWORD fErrorChar : 1;
  DWORD fNull : 1;
  DWORD fRtsControl : 2;
  DWORD fAbortOnError : 1;
  DWORD fDummy2 : 17;
  WORD wReserved;
  WORD XonLim;
  WORD XoffLim;
  BYTE ByteSize;
  BYTE Parity;
  BYTE StopBits;
  char XonChar;
  char XoffChar;
  char ErrorChar;
  char EofChar;
  char EvtChar;
  WORD wReserved1;
};
static_assert(sizeof(FTDCB) == 28, "the line settings record is 28 bytes");

struct FTTIMEOUTS {
  DWORD ReadIntervalTimeout;
  DWORD ReadTotalTimeoutMultiplier;
  DWORD ReadTotalTimeoutConstant;
  DWORD WriteTotalTimeoutMultiplier;
  DWORD WriteTotalTimeoutConstant;
};

struct FTCOMSTAT {
  DWORD fCtsHold : 1;
  DWORD fDsrHold : 1;
  DWORD fRlsdHold : 1;
  DWORD fXoffHold : 1;
  DWORD fXoffSent : 1;
  DWORD fEof : 1;
  DWORD fTxim : 1;
  DWORD fReserved : 25;
  DWORD cbInQue;
  DWORD cbOutQue;
};

using FT_CreateDeviceInfoList_t = FT_STATUS (*)(LPDWORD numDevs);
using FT_GetDeviceInfoDetail_t = FT_STATUS (*)(DWORD index, LPDWORD flags, LPDWORD type, LPDWORD id,
                                               LPDWORD locId, LPVOID serialNumber,
                                               LPVOID description, FT_HANDLE* handle);
using FT_W32_CreateFile_t = FT_HANDLE (*)(LPCTSTR name, DWORD access, DWORD shareMode,
                                          LPVOID securityAttributes, DWORD create,
                                          DWORD attrsAndFlags, void* templateFile);
using FT_W32_CloseHandle_t = BOOL (*)(FT_HANDLE);
using FT_W32_GetCommState_t = BOOL (*)(FT_HANDLE, FTDCB*);
using FT_W32_SetCommState_t = BOOL (*)(FT_HANDLE, FTDCB*);
using FT_W32_GetCommTimeouts_t = BOOL (*)(FT_HANDLE, FTTIMEOUTS*);
using FT_W32_SetCommTimeouts_t = BOOL (*)(FT_HANDLE, FTTIMEOUTS*);
using FT_W32_SetupComm_t = BOOL (*)(FT_HANDLE, DWORD readBufferSize, DWORD writeBufferSize);
using FT_W32_PurgeComm_t = BOOL (*)(FT_HANDLE, DWORD mask);
using FT_W32_ReadFile_t = BOOL (*)(FT_HANDLE, LPVOID buffer, DWORD size, LPDWORD returned,
                                   void* overlapped);
using FT_W32_WriteFile_t = BOOL (*)(FT_HANDLE, LPVOID buffer, DWORD size, LPDWORD written,
                                    void* overlapped);
using FT_W32_SetCommBreak_t = BOOL (*)(FT_HANDLE);
using FT_W32_ClearCommBreak_t = BOOL (*)(FT_HANDLE);
using FT_W32_EscapeCommFunction_t = BOOL (*)(FT_HANDLE, DWORD func);
using FT_W32_GetCommModemStatus_t = BOOL (*)(FT_HANDLE, LPDWORD modemStatus);
using FT_W32_ClearCommError_t = BOOL (*)(FT_HANDLE, LPDWORD errors, FTCOMSTAT* comstat);

}  // extern "C"

// The 17 entry points the FTDI transport uses, in its order; an empty one is missing. They hold
// whatever has the library's signature: a pointer resolved from FTDI's file, or a call bound to
// an object of ours (our ftdi_sio layer, a tracer), since the C signatures carry no context.
struct D2xxEntryPoints {
  template <typename Pointer>
  using Entry = std::function<std::remove_pointer_t<Pointer>>;

  Entry<FT_CreateDeviceInfoList_t> FT_CreateDeviceInfoList;
  Entry<FT_GetDeviceInfoDetail_t> FT_GetDeviceInfoDetail;
  Entry<FT_W32_CreateFile_t> FT_W32_CreateFile;
  Entry<FT_W32_CloseHandle_t> FT_W32_CloseHandle;
  Entry<FT_W32_GetCommState_t> FT_W32_GetCommState;
  Entry<FT_W32_SetCommState_t> FT_W32_SetCommState;
  Entry<FT_W32_GetCommTimeouts_t> FT_W32_GetCommTimeouts;
  Entry<FT_W32_SetCommTimeouts_t> FT_W32_SetCommTimeouts;
  Entry<FT_W32_SetupComm_t> FT_W32_SetupComm;
  Entry<FT_W32_PurgeComm_t> FT_W32_PurgeComm;
  Entry<FT_W32_ReadFile_t> FT_W32_ReadFile;
  Entry<FT_W32_WriteFile_t> FT_W32_WriteFile;
  Entry<FT_W32_SetCommBreak_t> FT_W32_SetCommBreak;
  Entry<FT_W32_ClearCommBreak_t> FT_W32_ClearCommBreak;
  Entry<FT_W32_EscapeCommFunction_t> FT_W32_EscapeCommFunction;
  Entry<FT_W32_GetCommModemStatus_t> FT_W32_GetCommModemStatus;
  Entry<FT_W32_ClearCommError_t> FT_W32_ClearCommError;
};
