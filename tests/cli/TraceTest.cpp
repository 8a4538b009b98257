#include "Trace.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "NamedRows.h"

namespace rukmox::cli {
namespace {

using rukmox::test::RowName;

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here

using Bytes = std::vector<std::uint8_t>;

// A trace with a fixed clock, so that whole lines can be compared.
struct TraceUnderTest {
  std::ostringstream out;
  FrameTrace trace{out, "usb", true, [] { return std::string("T"); }};

  void Send(const Bytes& b) { trace.Sent(b.data(), b.size()); }
  void Receive(const Bytes& b, bool complete = true) {
    trace.Received(b.data(), b.size(), complete);
  }
  std::string Text() {
    trace.Flush();
    return out.str();
  }
};

struct ExchangeCase {
  const char* name;
  Bytes command;
  Bytes reply;
  std::string expected;
};

class TraceExchangeTest : public ::testing::TestWithParam<ExchangeCase> {};

TEST_P(TraceExchangeTest, WritesOneLinePerFrameWithPinsMasked) {
  const ExchangeCase& c = GetParam();
  TraceUnderTest t;
  t.Send(c.command);
  // Replies arrive a byte or a few at a time; the trace joins them into one line.
  for (std::size_t i = 0; i < c.reply.size(); i += 2)
    t.Receive(Bytes(c.reply.begin() + i, c.reply.begin() + std::min(i + 2, c.reply.size())));
  EXPECT_EQ(t.Text(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, TraceExchangeTest,
    ::testing::Values(ExchangeCase{"PingUnmasked",
                                   {0xF0, 0x03, 0x1F, 0x00},
                                   {0x64, 0x02},
                                   "T usb > F0 03 1F 00\nT usb < 64 02\n"},
                      ExchangeCase{"SetPinPayloadMasked",
                                   {0xF0, 0x0B, 0x23, 0x01, '1', '2', '3', '4', 'A', 'B', 'C', 'D'},
                                   {0x64, 0x02},
                                   "T usb > F0 0B 23 01 ** ** ** ** ** ** ** **\nT usb < 64 02\n"},
                      ExchangeCase{"ReadPinReplyMasked",
                                   {0xF0, 0x03, 0x24, 0x00},
                                   {0x64, 0x06, '4', '3', '2', '1'},
                                   "T usb > F0 03 24 00\nT usb < 64 06 ** ** ** **\n"},
                      ExchangeCase{"NameNotMasked",
                                   {0xF0, 0x05, 0x0F, 0x00, 'A', 'B'},
                                   {0x64, 0x02},
                                   "T usb > F0 05 0F 00 41 42\nT usb < 64 02\n"},
                      // A set-PIN payload byte that had to be escaped is masked with the rest.
                      ExchangeCase{
                          "EscapedPinBytesMasked",
                          {0xF0, 0x0B, 0x23, 0x00, 0xEF, 0x01, '2', '3', '4', ' ', ' ', ' ', ' '},
                          {},
                          "T usb > F0 0B 23 00 ** ** ** ** ** ** ** ** **\n"}),
    RowName());

TEST(TraceTest, ReplyMaskEndsWithTheNextCommand) {
  TraceUnderTest t;
  t.Send({0xF0, 0x03, 0x24, 0x00});
  t.Receive({0x64, 0x06, '1', '2', '3', '4'});
  t.Send({0xF0, 0x03, 0x01, 0x00});
  t.Receive({0x64, 0x03, 0x41});
  EXPECT_EQ(t.Text(),
            "T usb > F0 03 24 00\nT usb < 64 06 ** ** ** **\n"
            "T usb > F0 03 01 00\nT usb < 64 03 41\n");
}

TEST(TraceTest, ShortReadClosesTheLineWithANote) {
  TraceUnderTest t;
  t.Send({0xF0, 0x03, 0x1F, 0x01});
  t.Receive({}, false);
  t.Send({0xF0, 0x03, 0x1F, 0x00});
  t.Receive({0x64}, true);
  t.Receive({}, false);
  EXPECT_EQ(t.Text(),
            "T usb > F0 03 1F 01\nT usb < (time-out)\n"
            "T usb > F0 03 1F 00\nT usb < 64 (time-out)\n");
}

TEST(TraceTest, SerialTraceMasksNothing) {
  std::ostringstream out;
  {
    FrameTrace trace(out, "com", false, [] { return std::string("T"); });
    const Bytes frame = {0xF0, 0x0B, 0x23, 0x00, '1', '2', '3', '4'};
    trace.Sent(frame.data(), frame.size());
  }
  EXPECT_EQ(out.str(), "T com > F0 0B 23 00 31 32 33 34\n");
}

TEST(TraceTest, WallClockHasMilliseconds) {
  EXPECT_THAT(FrameTrace::WallClock(),
              ::testing::MatchesRegex("[0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3}"));
}

// A library that only writes, and every write succeeds.
class EchoLibrary : public platform::D2xxLibrary {
 public:
  EchoLibrary() {
    entries_.FT_W32_WriteFile = [](FT_HANDLE, LPVOID, DWORD size, LPDWORD written, void*) {
      *written = size;
      return BOOL{1};
    };
  }
};

// Each tracing library reports to its own trace; ending an older one leaves a newer one working.
TEST(TracingLibrary, TwoLibrariesKeepTheirOwnTraces) {
  std::ostringstream firstOut, secondOut;
  FrameTrace first(firstOut, "usb", true, [] { return std::string("T"); });
  FrameTrace second(secondOut, "usb", true, [] { return std::string("T"); });
  auto older = std::make_unique<TracingD2xxLibrary>(std::make_unique<EchoLibrary>(), first);
  TracingD2xxLibrary newer(std::make_unique<EchoLibrary>(), second);
  older.reset();

  Bytes frame = {0xF0, 0x03, 0x1F, 0x00};
  DWORD written = 0;
  ASSERT_TRUE(newer.Entries().FT_W32_WriteFile(nullptr, frame.data(), 4, &written, nullptr));
  EXPECT_EQ(written, 4u);
  EXPECT_EQ(secondOut.str(), "T usb > F0 03 1F 00\n");
  EXPECT_EQ(firstOut.str(), "");
  EXPECT_FALSE(newer.Entries().FT_W32_ReadFile) << "a missing entry stays missing";
}

}  // namespace
}  // namespace rukmox::cli
