// TRukCom's read and write time-outs derived from its base time-out, and the purge before a
// write, on a real line: a pseudo-terminal pair on Linux, a pair of COM ports under Windows.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "RukComFixture.h"
#include "TimingSlack.h"

namespace {

using namespace std::chrono_literals;
using rukmox::platform::CommTimeouts;
using rukmox::test::Clock;
using rukmox::test::kEarly;
using rukmox::test::kLate;
using rukmox::test::RukComTest;
using rukmox::test::Since;
using Bytes = std::vector<std::uint8_t>;

// The defining figure: with Timeout 100 a silent one-byte read costs 50·1 + 200 ms.
TEST_F(RukComTest, SilentOneByteReadCostsTwoHundredFiftyMilliseconds) {
  auto com = MakeCom();
  ASSERT_TRUE(com->Open());
  std::uint8_t byte = 0xAA;
  const auto start = Clock::now();
  EXPECT_FALSE(com->Read(&byte, 1, 0));
  const auto took = Since(start);
  EXPECT_GE(took, 250ms - kEarly);
  EXPECT_LE(took, 250ms + kLate);
  EXPECT_EQ(error, ErrShortTransfer);
  EXPECT_EQ(byte, 0) << "the buffer is zero-filled before reading";
}

// A base time-out of 0 means no waiting, not waiting for ever on a silent line.
TEST_F(RukComTest, ZeroTimeoutReadsWhatIsThereWithoutWaiting) {
  auto com = MakeCom();
  com->SetTimeout(0);
  ASSERT_TRUE(com->Open());
  std::uint8_t buffer[2] = {};
  const auto start = Clock::now();
  EXPECT_FALSE(com->Read(buffer, 2, 0));
  EXPECT_LT(Since(start), 50ms);
  EXPECT_EQ(error, ErrShortTransfer);

  error = 0;
  ASSERT_TRUE(line.Send({4, 5}));
  ASSERT_TRUE(WaitForInput(*com, 2));
  EXPECT_TRUE(com->Read(buffer, 2, 0));
  EXPECT_EQ(buffer[1], 5);
}

// The first byte gets its own total constant; the rest runs on the normal time-outs, which are
// back in force afterwards.
TEST_F(RukComTest, FirstByteTimeoutAppliesToTheFirstByteOnly) {
  auto com = MakeCom();
  com->SetTimeout(20);  // 20, 10, 40, 10, 10
  ASSERT_TRUE(com->Open());
  Bytes buffer(3, 0xAA);
  const auto start = Clock::now();
  EXPECT_FALSE(com->Read(buffer.data(), 3, 300));
  const auto took = Since(start);
  // (10 + 300) for the first byte, then (10·2 + 40) for the other two.
  EXPECT_GE(took, 370ms - kEarly);
  EXPECT_LE(took, 370ms + kLate);
  EXPECT_EQ(com->CurrentTimeouts(), (CommTimeouts{20, 10, 40, 10, 10}));
  EXPECT_EQ(buffer, (Bytes{0, 0, 0}));
}

TEST_F(RukComTest, FirstByteTimeoutWaitsForALateAnswer) {
  auto com = MakeCom();
  ASSERT_TRUE(com->Open());
  std::thread device([&] {
    std::this_thread::sleep_for(400ms);  // later than the 250 ms a normal read would wait
    line.Send({0x64, 0x02, 0x33});
  });
  Bytes buffer(3);
  const auto start = Clock::now();
  const bool ok = com->Read(buffer.data(), 3, 2000);
  device.join();
  EXPECT_TRUE(ok);
  EXPECT_EQ(buffer, (Bytes{0x64, 0x02, 0x33}));
  EXPECT_LE(Since(start), 400ms + kLate) << "a read that has its bytes returns at once";
  EXPECT_EQ(error, 0);
}

// Once bytes flow, a gap longer than Timeout ends the read early instead of waiting out the
// total (50·4 + 200 ms for the rest).
TEST_F(RukComTest, GapLongerThanTheTimeoutEndsTheRead) {
  auto com = MakeCom();
  ASSERT_TRUE(com->Open());
  ASSERT_TRUE(line.Send({1, 2}));
  ASSERT_TRUE(WaitForInput(*com, 2));
  Bytes buffer(5, 0xAA);
  const auto start = Clock::now();
  EXPECT_FALSE(com->Read(buffer.data(), 5, 0));
  const auto took = Since(start);
  EXPECT_GE(took, 100ms - kEarly);
  EXPECT_LE(took, 100ms + kLate);
  EXPECT_EQ(buffer, (Bytes{1, 2, 0, 0, 0}));
  EXPECT_EQ(error, ErrShortTransfer);
}

// --- Transfers ----------------------------------------------------------------------------------

TEST_F(RukComTest, WriteThenReadAnAnswer) {
  auto com = MakeCom();
  ASSERT_TRUE(com->Open());
  const Bytes request{0xF0, 0x0D, 0x0F, 0x00};
  ASSERT_TRUE(com->Write(request.data(), 4, 0));
  EXPECT_EQ(line.Receive(), request);
  ASSERT_TRUE(line.Send({0x64, 0x01, 0x00}));
  Bytes answer(3);
  EXPECT_TRUE(com->Read(answer.data(), 3, 0));
  EXPECT_EQ(answer, (Bytes{0x64, 0x01, 0x00}));
  EXPECT_EQ(error, 0);
}

TEST_F(RukComTest, WriteDiscardsWhatArrivedBefore) {
  auto com = MakeCom();
  ASSERT_TRUE(com->Open());
  ASSERT_TRUE(line.Send({0x11, 0x22, 0x33}));
  ASSERT_TRUE(WaitForInput(*com, 3));
  const std::uint8_t request = 0x42;
  ASSERT_TRUE(com->Write(&request, 1, 0));
  EXPECT_EQ(com->GetInQueue(), 0);
  EXPECT_EQ(line.Receive(), Bytes{0x42});
  // The next read sees only what comes after the write.
  ASSERT_TRUE(line.Send({0x99}));
  std::uint8_t answer = 0;
  EXPECT_TRUE(com->Read(&answer, 1, 0));
  EXPECT_EQ(answer, 0x99);
}

}  // namespace
