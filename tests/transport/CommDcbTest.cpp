// The mode-string parser that fills the line settings at open.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "NamedRows.h"
#include "platform/CommDcb.h"

namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using rukmox::test::RowName;

using rukmox::platform::BuildCommDcb;

struct ModeCase {
  const char* name;
  const char* mode;
  DWORD rate;
  BYTE dataBits;
  BYTE parity;
  BYTE stopBits;
};

class CommDcbAccepts : public testing::TestWithParam<ModeCase> {};

TEST_P(CommDcbAccepts, FillsRateAndFraming) {
  const ModeCase& c = GetParam();
  FTDCB dcb{};
  dcb.DCBlength = 28;
  dcb.XonLim = 1234;  // not the parser's business: must survive
  ASSERT_TRUE(BuildCommDcb(c.mode, &dcb));
  EXPECT_EQ(dcb.BaudRate, c.rate);
  EXPECT_EQ(dcb.ByteSize, c.dataBits);
  EXPECT_EQ(dcb.Parity, c.parity);
  EXPECT_EQ(dcb.StopBits, c.stopBits);
  EXPECT_EQ(dcb.fParity, c.parity != FT_NOPARITY ? 1u : 0u);
  EXPECT_EQ(dcb.fBinary, 1u);
  EXPECT_EQ(dcb.fOutxCtsFlow, 0u);
  EXPECT_EQ(dcb.fOutX, 0u);
  EXPECT_EQ(dcb.fDtrControl, FT_DTR_CONTROL_ENABLE);
  EXPECT_EQ(dcb.fRtsControl, FT_RTS_CONTROL_ENABLE);
  EXPECT_EQ(dcb.DCBlength, 28u);
  EXPECT_EQ(dcb.XonLim, 1234);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, CommDcbAccepts,
    testing::Values(ModeCase{"Rate115200", "115200,n,8,1", 115200, 8, 0, 0},
                    ModeCase{"Rate1200", "1200,n,8,1", 1200, 8, 0, 0},
                    ModeCase{"UpperCaseParity", "9600,N,8,1", 9600, 8, 0, 0},
                    ModeCase{"EvenParitySevenBits", "4800,e,7,1", 4800, 7, FT_EVENPARITY, 0},
                    ModeCase{"OddParity", "2400,o,8,2", 2400, 8, FT_ODDPARITY, FT_TWOSTOPBITS},
                    ModeCase{"MarkAndSpace", "300,m,5,1.5", 300, 5, FT_MARKPARITY, FT_ONE5STOPBITS},
                    ModeCase{"Space", "19200,s,6,1", 19200, 6, FT_SPACEPARITY, 0},
                    ModeCase{"BlanksAroundFields", " 57600 , n , 8 , 1 ", 57600, 8, 0, 0},
                    ModeCase{"RateAloneMeans8N1", "38400", 38400, 8, 0, 0},
                    ModeCase{"OldAbbreviation96", "96,n,8,1", 9600, 8, 0, 0},
                    ModeCase{"OldAbbreviation19", "19,n,8,1", 19200, 8, 0, 0}),
    RowName());

struct BadMode {
  const char* name;
  const char* mode;
};

class CommDcbRejects : public testing::TestWithParam<BadMode> {};

TEST_P(CommDcbRejects, LeavesTheRecordUntouched) {
  FTDCB dcb{};
  std::memset(&dcb, 0xA5, sizeof dcb);
  FTDCB before = dcb;
  EXPECT_FALSE(BuildCommDcb(GetParam().mode, &dcb));
  EXPECT_EQ(std::memcmp(&dcb, &before, sizeof dcb), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, CommDcbRejects,
    testing::Values(BadMode{"Empty", ""}, BadMode{"EmptyRate", ",n,8,1"},
                    BadMode{"ZeroRate", "0,n,8,1"}, BadMode{"RateNotANumber", "fast,n,8,1"},
                    BadMode{"RateWithJunk", "9600x,n,8,1"},
                    BadMode{"RateTooLarge", "99999999999,n,8,1"},
                    BadMode{"UnknownParity", "9600,x,8,1"}, BadMode{"ParityWord", "9600,none,8,1"},
                    BadMode{"FourDataBits", "9600,n,4,1"}, BadMode{"NineDataBits", "9600,n,9,1"},
                    BadMode{"ThreeStopBits", "9600,n,8,3"},
                    BadMode{"EmptyMiddleField", "9600,,8,1"},
                    BadMode{"TrailingComma", "9600,n,8,1,"}, BadMode{"FifthField", "9600,n,8,1,x"}),
    RowName());

TEST(CommDcb, RefusesNullArguments) {
  FTDCB dcb{};
  EXPECT_FALSE(BuildCommDcb(nullptr, &dcb));
  EXPECT_FALSE(BuildCommDcb("9600,n,8,1", nullptr));
}

}  // namespace
