/* A stand-in for FTDI's library that exports only some of the 17 names: it lists one device
   described as a USB serial port but cannot open it. The loader tests count its calls. */
#include <stdint.h>
#include <string.h>

typedef uint32_t DWORD;

static int list_calls;

int PartialLibraryListCalls(void) {
  return list_calls;
}

DWORD FT_CreateDeviceInfoList(DWORD* count) {
  ++list_calls;
  *count = 1;
  return 0;
}

DWORD FT_GetDeviceInfoDetail(DWORD index, DWORD* flags, DWORD* type, DWORD* id, DWORD* locId,
                             void* serial, void* description, void** handle) {
  if (index != 0) return 2;
  *flags = 0;
  *type = 5;
  *id = 0x04036001;
  *locId = 0x01000021;
  strcpy((char*)serial, "PARTIAL1");
  strcpy((char*)description, "FT232R USB Serial Port");
  *handle = 0;
  return 0;
}

int FT_W32_CloseHandle(void* handle) {
  return handle != 0;
}

int FT_W32_GetCommModemStatus(void* handle, DWORD* status) {
  *status = 0x10;
  return handle != 0;
}
