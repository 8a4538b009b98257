// Where TRukFtdi's entry points come from: a library file the settings name (missing, or
// exporting only some names) or, by default, our own ftdi_sio layer.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>

#include "FtdiSupport.h"
#include "Rukftdi.h"
#include "platform/D2xxLibrary.h"

namespace {

using rukmox::platform::LoadD2xxLibrary;
using rukmox::platform::LoadD2xxLibraryFile;
using rukmox::platform::TransportSettings;

constexpr const char* kMissingLibrary = "/nonexistent/libftd2xx.so";

int NonNullEntries(const D2xxEntryPoints& e) {
  const bool all[] = {bool(e.FT_CreateDeviceInfoList),   bool(e.FT_GetDeviceInfoDetail),
                      bool(e.FT_W32_CreateFile),         bool(e.FT_W32_CloseHandle),
                      bool(e.FT_W32_GetCommState),       bool(e.FT_W32_SetCommState),
                      bool(e.FT_W32_GetCommTimeouts),    bool(e.FT_W32_SetCommTimeouts),
                      bool(e.FT_W32_SetupComm),          bool(e.FT_W32_PurgeComm),
                      bool(e.FT_W32_ReadFile),           bool(e.FT_W32_WriteFile),
                      bool(e.FT_W32_SetCommBreak),       bool(e.FT_W32_ClearCommBreak),
                      bool(e.FT_W32_EscapeCommFunction), bool(e.FT_W32_GetCommModemStatus),
                      bool(e.FT_W32_ClearCommError)};
  int n = 0;
  for (const bool present : all) n += present;
  return n;
}

TransportSettings WithLibraryFile(const char* path) {
  TransportSettings settings;
  settings.D2xxLibraryPath = path;
  return settings;
}

TEST(D2xxLoader, MissingFileLeavesEveryEntryNull) {
  const auto library = LoadD2xxLibraryFile(kMissingLibrary);
  ASSERT_NE(library, nullptr);
  EXPECT_FALSE(library->Loaded());
  EXPECT_EQ(NonNullEntries(library->Entries()), 0);
}

TEST(D2xxLoader, PartialLibraryResolvesWhatItExports) {
  const auto library = LoadD2xxLibraryFile(RUKMOX_PARTIAL_D2XX);
  ASSERT_TRUE(library->Loaded()) << dlerror();
  const D2xxEntryPoints& e = library->Entries();
  EXPECT_NE(e.FT_CreateDeviceInfoList, nullptr);
  EXPECT_NE(e.FT_GetDeviceInfoDetail, nullptr);
  EXPECT_NE(e.FT_W32_CloseHandle, nullptr);
  EXPECT_NE(e.FT_W32_GetCommModemStatus, nullptr);
  EXPECT_EQ(e.FT_W32_CreateFile, nullptr);
  EXPECT_EQ(e.FT_W32_ReadFile, nullptr);
  EXPECT_EQ(NonNullEntries(e), 4);
}

TEST(D2xxLoader, DefaultIsOurLayerWithAllSeventeenEntries) {
  const auto library = LoadD2xxLibrary(TransportSettings{});
  EXPECT_TRUE(library->Loaded());
  EXPECT_EQ(NonNullEntries(library->Entries()), 17);
}

TEST(D2xxLoader, SettingsNameTheLibraryFile) {
  EXPECT_FALSE(LoadD2xxLibrary(WithLibraryFile(kMissingLibrary))->Loaded());
}

class FtdiWithLibraryFile : public testing::Test {
 protected:
  std::int32_t error_ = -1;
};

TEST_F(FtdiWithLibraryFile, MissingLibraryConstructsButNeverOpens) {
  TRukFtdi ftdi(nullptr, 0, 9, &error_, true, 0, 0,
                LoadD2xxLibrary(WithLibraryFile(kMissingLibrary)));
  EXPECT_EQ(error_, 0) << "construction reports nothing";
  EXPECT_FALSE(ftdi.Open());
  EXPECT_EQ(error_, ErrOpen);
  EXPECT_FALSE(ftdi.IsOpen());
  // Every operation degrades without reaching a library.
  std::uint8_t byte = 0;
  error_ = 0;
  EXPECT_FALSE(ftdi.Read(&byte, 1, 0));
  EXPECT_EQ(error_, ErrShortTransfer);
  error_ = 0;
  EXPECT_FALSE(ftdi.Write(&byte, 1, 0));
  EXPECT_EQ(ftdi.GetInQueue(), -1);
  EXPECT_FALSE(ftdi.SendBreak(10));
  EXPECT_FALSE(ftdi.SetDtr(true));
  EXPECT_FALSE(ftdi.GetCts());
  EXPECT_EQ(ftdi.SetBaudIndex(7), 7);
  ftdi.Close();
}

TEST_F(FtdiWithLibraryFile, PartialLibraryListsItsDeviceButCannotOpenIt) {
  // The same file again: the loader's copy shares the counter of list calls.
  void* probe = dlopen(RUKMOX_PARTIAL_D2XX, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(probe, nullptr) << dlerror();
  const auto listCalls = reinterpret_cast<int (*)()>(dlsym(probe, "PartialLibraryListCalls"));
  ASSERT_NE(listCalls, nullptr);
  {
    TRukFtdi ftdi(nullptr, 0, 9, &error_, true, 0, 0,
                  LoadD2xxLibrary(WithLibraryFile(RUKMOX_PARTIAL_D2XX)));
    const int before = listCalls();
    EXPECT_FALSE(ftdi.Open()) << "the device matches but FT_W32_CreateFile is missing";
    EXPECT_EQ(error_, ErrOpen);
    EXPECT_FALSE(ftdi.IsOpen());
    EXPECT_EQ(listCalls(), before + 1);
    EXPECT_FALSE(ftdi.GetCts()) << "closed, though the library has the call";
  }
  dlclose(probe);
}

}  // namespace
