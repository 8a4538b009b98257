// One command, one reply: how Exchange reads replies and when it sends nothing at all.
#include <gtest/gtest.h>

#include <functional>

#include "ModuleFixture.h"
#include "NamedRows.h"

namespace rukmox::test {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here

struct ReplyCase {
  const char* name;
  Bytes wire;  // what the module sends back
  bool ok;
  Bytes data;  // RxBuffer up to RxLength when ok
  std::int32_t errorWord;
};

class ReplyReadingTest : public ModuleTest, public ::testing::WithParamInterface<ReplyCase> {};

TEST_P(ReplyReadingTest, ReadsOrRejects) {
  const ReplyCase& c = GetParam();
  OpenLinked();
  state->Silence(TRukMox::CmdPing, 0);
  state->onFrame = [&](const Frame&) { state->Queue(c.wire); };
  const std::int32_t result = mox->Exchange(TRukMox::CmdPing, false, false, false, 0, nullptr);
  if (c.ok) {
    EXPECT_EQ(result, 4);  // the bytes sent
    EXPECT_EQ(Bytes(mox->RxBuffer, mox->RxBuffer + mox->RxLength), c.data);
  } else {
    EXPECT_EQ(result, -1);
  }
  EXPECT_EQ(error, c.errorWord);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ReplyReadingTest,
    ::testing::Values(ReplyCase{"OneDataByte", {0x64, 0x03, 0x07}, true, {0x07}, 0},
                      ReplyCase{"NoData", {0x64, 0x02}, true, {}, 0},
                      ReplyCase{
                          "NoEscapesInReplies", {0x64, 0x04, 0xEF, 0x00}, true, {0xEF, 0x00}, 0},
                      ReplyCase{"LengthOne", {0x64, 0x01}, false, {}, 0},
                      ReplyCase{"Length111", {0x64, 0x6F}, false, {}, 0},
                      ReplyCase{"WrongMarker", {0x65, 0x03, 0x07}, false, {}, 0},
                      ReplyCase{"Silence", {}, false, {}, ErrShortTransfer},
                      ReplyCase{"NoLength", {0x64}, false, {}, ErrShortTransfer},
                      ReplyCase{"ShortData", {0x64, 0x05, 0x01}, false, {}, ErrShortTransfer}),
    RowName());

TEST_F(ModuleTest, FailedExchangeDoesNotBlockTheNextOne) {
  OpenLinked();
  state->Silence(TRukMox::CmdPing, 0);
  EXPECT_FALSE(mox->Ping(false));
  EXPECT_EQ(error, ErrShortTransfer);
  state->Answer(TRukMox::CmdPing, 0, {});
  EXPECT_TRUE(mox->Ping(false));
  EXPECT_EQ(error, 0);
}

// The rest of a broken reply is discarded by the next write, so it never precedes the next reply.
TEST_F(ModuleTest, LeftoversOfABrokenReplyAreDiscarded) {
  OpenLinked();
  state->onFrame = [&](const Frame&) { state->Queue({0x99, 0x64, 0x03, 0x55}); };
  EXPECT_EQ(mox->Exchange(TRukMox::CmdPing, false, false, false, 0, nullptr), -1);
  state->onFrame = [&](const Frame&) { state->Queue({0x64, 0x03, 0x07}); };
  EXPECT_EQ(mox->Exchange(TRukMox::CmdPing, false, false, false, 0, nullptr), 4);
  EXPECT_EQ(mox->RxLength, 1);
  EXPECT_EQ(mox->RxBuffer[0], 0x07);
}

struct RefusalCase {
  const char* name;
  std::uint8_t command;
  bool remote;
  bool skipLinkCheck;
  bool noReply;
  std::int32_t count;
  std::uint8_t fill;
};

class RefusedExchangeTest : public ModuleTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusedExchangeTest, SendsNothing) {
  const RefusalCase& c = GetParam();
  OpenLinked();
  mox->Current->Linked = false;
  const Bytes payload(200, c.fill);
  EXPECT_EQ(mox->Exchange(c.command, c.remote, c.skipLinkCheck, c.noReply, c.count, payload.data()),
            -1);
  EXPECT_TRUE(state->frames.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, RefusedExchangeTest,
    ::testing::Values(RefusalCase{"RemoteWithoutLink", TRukMox::CmdPing, true, false, false, 0, 0},
                      RefusalCase{"DataWithoutLink", TRukMox::CmdData, true, false, true, 5, 1},
                      RefusalCase{"Count111", TRukMox::CmdSetName, false, false, false, 111, 1},
                      RefusalCase{"NegativeCount", TRukMox::CmdSetName, false, false, false, -1, 1},
                      // 4 + 106 bytes fit exactly; one escape more does not.
                      RefusalCase{"EscapedPastTheBuffer", TRukMox::CmdSetName, false, false, false,
                                  60, 0xF0}),
    RowName());

TEST_F(ModuleTest, ScanAndConnectGoOutWithoutLink) {
  OpenLinked();
  mox->Current->Linked = false;
  EXPECT_GE(mox->Exchange(TRukMox::CmdScan, true, true, false, 0, nullptr), -1);
  EXPECT_EQ(state->Count(TRukMox::CmdScan, 1), 1u);
}

TEST_F(ModuleTest, ClosedChannelFailsTheExchange) {
  EXPECT_EQ(mox->Exchange(TRukMox::CmdPing, false, false, false, 0, nullptr), -1);
  EXPECT_TRUE(state->frames.empty());
}

TEST_F(ModuleTest, DataFrameReturnsOnceWritten) {
  OpenLinked();
  const std::uint8_t payload[] = {1, 0x42};
  EXPECT_EQ(mox->Exchange(TRukMox::CmdData, true, false, true, 2, payload), 5);
  ASSERT_EQ(state->frames.size(), 1u);
  EXPECT_EQ(state->frames[0].raw, (Bytes{0xF0, 0x04, 0x00, 0x01, 0x42}));
}

// The named form must mean exactly what the six arguments say: same frame, same refusals.
using Flags = TRukMox::ExchangeFlags;
using Target = TRukMox::Target;

struct NamedCase {
  const char* name;
  bool linked;
  std::function<std::int32_t(TRukMox&)> named;
  std::function<std::int32_t(TRukMox&)> spelled;
};

const std::uint8_t kChannelPayload[] = {5};
const std::uint8_t kDataPayload[] = {1, 0x42};
const Bytes kOversized(TRukMox::BufferSize + 90, 1);

class NamedExchangeTest : public ModuleTest, public ::testing::WithParamInterface<NamedCase> {};

TEST_P(NamedExchangeTest, SendsWhatTheSixArgumentsSend) {
  const NamedCase& c = GetParam();
  OpenLinked();
  mox->Current->Linked = c.linked;
  const std::int32_t named = c.named(*mox);
  const std::vector<Frame> namedFrames = state->frames;
  state->frames.clear();
  EXPECT_EQ(named, c.spelled(*mox));
  ASSERT_EQ(namedFrames.size(), state->frames.size());
  for (std::size_t i = 0; i < namedFrames.size(); ++i)
    EXPECT_EQ(namedFrames[i].raw, state->frames[i].raw);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, NamedExchangeTest,
    ::testing::Values(
        NamedCase{"LocalWithPayload", true,
                  [](TRukMox& m) {
                    return m.Exchange(TRukMox::CmdSetChannel, Target::Local, kChannelPayload);
                  },
                  [](TRukMox& m) {
                    return m.Exchange(TRukMox::CmdSetChannel, false, false, false, 1,
                                      kChannelPayload);
                  }},
        NamedCase{"Remote", true,
                  [](TRukMox& m) { return m.Exchange(TRukMox::CmdStore, Target::Remote); },
                  [](TRukMox& m) {
                    return m.Exchange(TRukMox::CmdStore, true, false, false, 0, nullptr);
                  }},
        NamedCase{"RemoteWithoutLink", false,
                  [](TRukMox& m) { return m.Exchange(TRukMox::CmdPing, Target::Remote); },
                  [](TRukMox& m) {
                    return m.Exchange(TRukMox::CmdPing, true, false, false, 0, nullptr);
                  }},
        NamedCase{
            "SkipLinkCheck", false,
            [](TRukMox& m) {
              return m.Exchange(TRukMox::CmdScan, Target::Remote, {}, Flags::SkipLinkCheck);
            },
            [](TRukMox& m) { return m.Exchange(TRukMox::CmdScan, true, true, false, 0, nullptr); }},
        NamedCase{"NoReply", true,
                  [](TRukMox& m) {
                    return m.Exchange(TRukMox::CmdData, Target::Remote, kDataPayload,
                                      Flags::NoReply);
                  },
                  [](TRukMox& m) {
                    return m.Exchange(TRukMox::CmdData, true, false, true, 2, kDataPayload);
                  }},
        NamedCase{"BothFlags", false,
                  [](TRukMox& m) {
                    return m.Exchange(TRukMox::CmdData, Target::Remote, kDataPayload,
                                      Flags::SkipLinkCheck | Flags::NoReply);
                  },
                  [](TRukMox& m) {
                    return m.Exchange(TRukMox::CmdData, true, true, true, 2, kDataPayload);
                  }},
        NamedCase{
            "PayloadBeyondTheBuffer", true,
            [](TRukMox& m) { return m.Exchange(TRukMox::CmdSetName, Target::Local, kOversized); },
            [](TRukMox& m) {
              return m.Exchange(TRukMox::CmdSetName, false, false, false,
                                static_cast<std::int32_t>(kOversized.size()), kOversized.data());
            }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rukmox::test
