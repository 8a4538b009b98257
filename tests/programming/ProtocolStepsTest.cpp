// The single steps of TRukMoxProg against a scripted peer: what each sends, which answers it
// takes, how often it tries and what it leaves in the error word.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <numeric>
#include <string>
#include <string_view>

#include "FirmwareImage.h"
#include "NamedRows.h"
#include "ProgrammingFile.h"
#include "PtyPair.h"
#include "Rukmoxprog.h"
#include "ScriptedPeer.h"

namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using rukmox::test::RowName;

using namespace std::chrono_literals;
using rukmox::test::Bytes;
using rukmox::test::PeerReply;
using rukmox::test::PtyPair;
using rukmox::test::ScriptedPeer;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

std::uint8_t Sum(const Bytes& bytes) {
  return static_cast<std::uint8_t>(std::accumulate(bytes.begin(), bytes.end(), 0u));
}

// A boot-loader answer closed by the sum of its bytes; `wrong` spoils that sum.
Bytes Closed(Bytes bytes, bool wrong = false) {
  bytes.push_back(static_cast<std::uint8_t>(Sum(bytes) + (wrong ? 1 : 0)));
  return bytes;
}

Bytes B(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

// One way the peer answers a frame: with or without an echo (spoilt if asked), then the answer.
struct Answer {
  Bytes bytes;
  bool echo = true;
  bool spoilEcho = false;
  std::chrono::milliseconds delay{0};
};

Answer App(Bytes bytes) {
  return Answer{std::move(bytes), false};
}
Answer SpoiltEcho(Bytes bytes) {
  return Answer{std::move(bytes), true, true};
}
Answer Delayed(Bytes bytes, std::chrono::milliseconds delay) {
  return Answer{std::move(bytes), true, false, delay};
}

// Runs the object on a pseudo-terminal whose far end answers frame i with answers[i] (the last
// one over and over once the list is used up).
class ProgOnScriptedPeer : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(pty.ok()); }

  static rukmox::platform::TransportSettings OnlyPort(const std::string& path) {
    rukmox::platform::TransportSettings settings;
    settings.Ports = {path};
    return settings;
  }

  void Serve(std::vector<Answer> answers) {
    peer = std::make_unique<ScriptedPeer>(pty, [answers](const Bytes& frame, int index) {
      const Answer& a = answers[std::min<std::size_t>(index, answers.size() - 1)];
      PeerReply reply;
      if (a.echo) {
        reply.now = frame;
        if (a.spoilEcho) reply.now.back() ^= 0x01;
      }
      reply.delay = a.delay;
      reply.later = a.bytes;
      return reply;
    });
    ASSERT_TRUE(prog.Open());
  }

  PtyPair pty;
  std::int32_t error = 0;
  TRukMoxProg prog{nullptr, 0, 5, &error, true, 0, 0, OnlyPort(pty.path())};
  std::unique_ptr<ScriptedPeer> peer;
};

// ---- Every step against the answers that matter

enum class Step { BootStatus, Prepare, Start, Record, DongleStatus, DongleBoot };

struct StepCase {
  const char* name;
  Step step;
  std::vector<Answer> answers;
  bool succeeds;
  std::int32_t errorWord;  // after the step
  std::size_t frames;      // how many the peer got
};

// Status of a dongle's boot loader: version 4, mode 3 (boot loader), kind 1 at byte 4.
const Bytes SixData = {0x53, 0x06, 0x04, 0x03, 0x00, 0x00, 0x01, 0x00};
const Bytes Six = Closed(SixData);
const Bytes Refusal = Closed({0xCA, 0x01, 0x02});
const Bytes RefusalSpoilt = Closed({0xCA, 0x01, 0x02}, true);
const Bytes RecordLine = B("S1130000000102030405060708090A0B0C0D0EFF65");

class StepAnswers : public ProgOnScriptedPeer, public ::testing::WithParamInterface<StepCase> {
 protected:
  bool RunStep(Step step) {
    TRukMoxProg::TStatusRecord status{};
    switch (step) {
      case Step::BootStatus:
        return prog.QueryBootStatus(status);
      case Step::Prepare:
        return prog.PrepareProgramming();
      case Step::Start:
        return prog.StartProgramming();
      case Step::Record:
        return prog.SendRecord(RecordLine);
      case Step::DongleStatus:
        return prog.QueryDongleStatus(status);
      case Step::DongleBoot:
        return prog.RequestDongleBoot();
    }
    return false;
  }
};

TEST_P(StepAnswers, TakeOnlyTheRightAnswer) {
  const StepCase& c = GetParam();
  Serve(c.answers);
  EXPECT_EQ(RunStep(c.step), c.succeeds);
  EXPECT_EQ(error, c.errorWord);
  EXPECT_EQ(peer->Frames().size(), c.frames);
}

INSTANTIATE_TEST_SUITE_P(
    BootStatus, StepAnswers,
    ::testing::Values(
        StepCase{"SixBytes", Step::BootStatus, {{Six}}, true, 0, 1},
        StepCase{"FourBytes", Step::BootStatus, {{Closed({0x53, 0x04, 1, 3, 0, 0})}}, true, 0, 1},
        StepCase{"BadChecksumEveryTime",
                 Step::BootStatus,
                 {{Closed(SixData, true)}},
                 false,
                 ErrChecksum,
                 4},
        StepCase{"BadChecksumOnce", Step::BootStatus, {{Closed(SixData, true)}, {Six}}, true, 0, 2},
        // A count other than 4 or 6 says nothing trustworthy: asked again.
        StepCase{"CountFiveOnce",
                 Step::BootStatus,
                 {{Closed({0x53, 0x05, 1, 3, 0, 0})}, {Six}},
                 true,
                 0,
                 2},
        StepCase{"CountFiveEveryTime",
                 Step::BootStatus,
                 {{Closed({0x53, 0x05, 1, 3, 0, 0})}},
                 false,
                 ErrLength,
                 4},
        StepCase{"CountZeroEveryTime",
                 Step::BootStatus,
                 {{Closed({0x53, 0x00, 1, 3, 0, 0})}},
                 false,
                 ErrLength,
                 4},
        StepCase{"Refused", Step::BootStatus, {{Refusal}}, false, ErrRefused, 4},
        StepCase{"RefusedWithBadChecksum", Step::BootStatus, {{RefusalSpoilt}}, false, 0x0032, 4},
        StepCase{"EchoDiffers", Step::BootStatus, {SpoiltEcho(Six)}, false, ErrEcho, 4},
        StepCase{"EchoDiffersOnce", Step::BootStatus, {SpoiltEcho(Six), {Six}}, true, 0, 2},
        StepCase{"UnknownAnswer", Step::BootStatus, {{{0x11, 0x22, 0x33}}}, false, 0, 4}),
    RowName());

INSTANTIATE_TEST_SUITE_P(
    Prepare, StepAnswers,
    ::testing::Values(
        StepCase{"Ready", Step::Prepare, {{Closed({0x53, 0x09, 0x00})}}, true, 0, 1},
        // A well-formed "no" is final.
        StepCase{
            "FailureStatusIsFinal", Step::Prepare, {{Closed({0x53, 0x09, 0x01})}}, false, 0, 1},
        StepCase{"BadChecksum",
                 Step::Prepare,
                 {{Closed({0x53, 0x09, 0x00}, true)}},
                 false,
                 ErrChecksum,
                 4},
        StepCase{"Refused", Step::Prepare, {{Refusal}}, false, ErrRefused, 4},
        StepCase{"RefusedWithBadChecksum", Step::Prepare, {{RefusalSpoilt}}, false, 0x0032, 4},
        StepCase{"EchoDiffers",
                 Step::Prepare,
                 {SpoiltEcho(Closed({0x53, 0x09, 0x00}))},
                 false,
                 ErrEcho,
                 4},
        // Erasing takes time: the first answer byte may come well after the normal time-outs.
        StepCase{
            "SlowErase", Step::Prepare, {Delayed(Closed({0x53, 0x09, 0x00}), 1200ms)}, true, 0, 1}),
    RowName());

INSTANTIATE_TEST_SUITE_P(
    Start, StepAnswers,
    ::testing::Values(StepCase{"Started", Step::Start, {{{0xA7, 0xA7}}}, true, 0, 1},
                      StepCase{"OtherAnswer", Step::Start, {{{0xA7, 0x53}}}, false, 0, 4},
                      StepCase{
                          "SecondTime", Step::Start, {{{0x53, 0x53}}, {{0xA7, 0xA7}}}, true, 0, 2}),
    RowName());

INSTANTIATE_TEST_SUITE_P(
    Record, StepAnswers,
    ::testing::Values(
        StepCase{"AcceptedA7", Step::Record, {{{0xA7, 0xA7}}}, true, 0, 1},
        StepCase{"Accepted53", Step::Record, {{{0x53, 0x53}}}, true, 0, 1},
        StepCase{"MixedAnswerRefused", Step::Record, {{{0xA7, 0x53}}}, false, 0, 4},
        StepCase{"EchoDiffers", Step::Record, {SpoiltEcho({0xA7, 0xA7})}, false, ErrEcho, 4},
        StepCase{"RefusedTwiceThenAccepted",
                 Step::Record,
                 {{{0xCA, 0xCA}}, {{0xCA, 0xCA}}, {{0xA7, 0xA7}}},
                 true,
                 0,
                 3},
        StepCase{"SlowWrite", Step::Record, {Delayed({0xA7, 0xA7}, 700ms)}, true, 0, 1}),
    RowName());

INSTANTIATE_TEST_SUITE_P(
    Dongle, StepAnswers,
    ::testing::Values(
        StepCase{"Status", Step::DongleStatus, {App({0x64, 0x08, 0, 7, 3, 1, 0, 9})}, true, 0, 1},
        StepCase{"StatusLengthOne", Step::DongleStatus, {App({0x64, 0x01})}, false, ErrLength, 1},
        StepCase{"StatusLength111", Step::DongleStatus, {App({0x64, 111})}, false, ErrLength, 1},
        StepCase{"StatusWrongMarker",
                 Step::DongleStatus,
                 {App({0x65, 0x08, 0, 7, 3, 1, 0, 9})},
                 false,
                 ErrRefused,
                 1},
        StepCase{"BootAccepted", Step::DongleBoot, {App({0x64, 0x03, 0x00})}, true, 0, 1},
        // The rest of the answer may never come: the dongle is already restarting.
        StepCase{"BootAcceptedCutShort",
                 Step::DongleBoot,
                 {App({0x64, 0x05, 0x00})},
                 true,
                 ErrShortTransfer,
                 1},
        StepCase{"BootWrongMarkerEveryTime",
                 Step::DongleBoot,
                 {App({0x65, 0x03, 0x00})},
                 false,
                 ErrRefused,
                 4},
        StepCase{"BootBadLengthOnce",
                 Step::DongleBoot,
                 {App({0x64, 0x00}), App({0x64, 0x02})},
                 true,
                 0,
                 2}),
    RowName());

// ---- What the steps send and what they keep

TEST_F(ProgOnScriptedPeer, BootStatusFillsTheRecordAndKeepsItsLastBytes) {
  Serve({{Six}, {Closed({0x53, 0x04, 0x07, 0x03, 0x08, 0x09})}});
  TRukMoxProg::TStatusRecord status;
  status.fill(0xEE);
  ASSERT_TRUE(prog.QueryBootStatus(status));
  EXPECT_THAT(status, ElementsAre(0x04, 0x03, 0x00, 0x00, 0x01, 0x00, 0xEE, 0xEE));
  // With four bytes the kind at byte 4 is not left over from an earlier answer.
  ASSERT_TRUE(prog.QueryBootStatus(status));
  EXPECT_THAT(status, ElementsAre(0x07, 0x03, 0x08, 0x09, 0x00, 0x00, 0xEE, 0xEE));
  EXPECT_THAT(peer->Frames(), ElementsAre(Bytes{0x00, 0x02, 0x02}, Bytes{0x00, 0x02, 0x02}));
}

TEST_F(ProgOnScriptedPeer, BootLoaderCommandsCarryTheirSum) {
  Serve({{Closed({0x53, 0x09, 0x00})}, {{0xA7, 0xA7}}});
  ASSERT_TRUE(prog.PrepareProgramming());
  ASSERT_TRUE(prog.StartProgramming());
  EXPECT_THAT(peer->Frames(), ElementsAre(Bytes{0x00, 0x09, 0x09}, Bytes{0x93, 0x93}));
}

TEST_F(ProgOnScriptedPeer, RecordGoesOutAsItsFrameWithoutChecksum) {
  Serve({{{0xA7, 0xA7}}});
  ASSERT_TRUE(prog.SendRecord(RecordLine));
  EXPECT_THAT(
      peer->Frames(),
      ElementsAre(ElementsAre(0x53, 0x31, 0x13, 0x00, 0x00, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05,
                              0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0xFF, 0x65)));
}

TEST_F(ProgOnScriptedPeer, RecordTooLongForAFrameIsNeverSent) {
  Serve({{{0xA7, 0xA7}}});
  EXPECT_FALSE(prog.SendRecord(B("S3" + std::string(2000, '0'))));
  EXPECT_TRUE(peer->Frames().empty());
}

TEST_F(ProgOnScriptedPeer, DongleStatusMapsThePayload) {
  Serve({App({0x64, 0x08, 0x10, 0x11, 0x12, 0x01, 0x14, 0x15})});
  TRukMoxProg::TStatusRecord status;
  status.fill(0xEE);
  ASSERT_TRUE(prog.QueryDongleStatus(status));
  EXPECT_THAT(status, ElementsAre(0x15, 0x01, 0x12, 0x11, 0x00, 0x00, 0xEE, 0xEE));
  EXPECT_THAT(peer->Frames(), ElementsAre(Bytes{0xF0, 0x03, 0x01, 0x00, 0x0C}));
}

TEST_F(ProgOnScriptedPeer, ShortDongleStatusLeavesNothingStale) {
  // A full answer first fills the receive buffer; the short one after it must not reuse it.
  Serve({App({0x64, 0x08, 0x10, 0x11, 0x12, 0x01, 0x14, 0x15}), App({0x64, 0x02})});
  TRukMoxProg::TStatusRecord status{};
  ASSERT_TRUE(prog.QueryDongleStatus(status));
  ASSERT_TRUE(prog.QueryDongleStatus(status));
  EXPECT_THAT(status, ElementsAre(0, 0, 0, 0, 0, 0, 0, 0));
}

TEST_F(ProgOnScriptedPeer, BootLoaderThatDoesNotNameItsKindIsNotTaken) {
  // Mode 3 with four status bytes: byte 4 (the kind) stays 0, which is neither device.
  Serve({{Closed({0x53, 0x04, 0x04, 0x03, 0x00, 0x00})}});
  EXPECT_FALSE(prog.EnterBootLoader(DeviceDongle));
  EXPECT_FALSE(prog.IsOpen());
  EXPECT_THAT(peer->Frames(), ElementsAre(Bytes{0x00, 0x02, 0x02}));
}

TEST_F(ProgOnScriptedPeer, BootLoaderThatNamesItsKindIsTaken) {
  Serve({{Six}});
  EXPECT_TRUE(prog.EnterBootLoader(DeviceDongle));
  EXPECT_TRUE(prog.IsOpen());
  EXPECT_EQ(prog.GetBaudIndex(), 5);
}

// ---- ProgramFile on answers the simulated boot loaders never give

const Bytes PrepareOk = Closed({0x53, 0x09, 0x00});
const Bytes Ack = {0xA7, 0xA7};

std::vector<std::uint8_t> SizedFile(const std::string& text) {
  return *rukmox::programming::MakeSizedBuffer(rukmox::test::AsBytes(text));
}

struct FileCase {
  const char* name;
  std::vector<Answer> answers;  // to status, prepare, start, then the records
  std::int32_t result;
  std::int32_t errorWord;
  bool openAfter;
};

class ProgramFileAnswers : public ProgOnScriptedPeer,
                           public ::testing::WithParamInterface<FileCase> {};

TEST_P(ProgramFileAnswers, GiveTheirResultAndBits) {
  Serve(GetParam().answers);
  const std::string file = rukmox::test::FirmwareFile({"S1030000FC", "S9030000FC"});
  EXPECT_EQ(prog.ProgramFile(SizedFile(file)), GetParam().result);
  EXPECT_EQ(error, GetParam().errorWord);
  EXPECT_EQ(prog.IsOpen(), GetParam().openAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Results, ProgramFileAnswers,
    ::testing::Values(
        FileCase{"Programmed", {{Six}, {PrepareOk}, {Ack}}, ProgramOk, 0, true},
        FileCase{"StartNotAcknowledged",
                 {{Six}, {PrepareOk}, {{0xA7, 0x00}}},
                 ProgramStartFailed,
                 0,
                 true},
        FileCase{"StatusEchoDiffers", {SpoiltEcho(Six)}, ProgramNoBootLoader, ErrEcho, false},
        FileCase{"StatusChecksumWrong",
                 {{Closed(SixData, true)}},
                 ProgramNoBootLoader,
                 ErrChecksum,
                 false},
        FileCase{
            "StatusRefusedWithBadChecksum", {{RefusalSpoilt}}, ProgramNoBootLoader, 0x0032, false},
        // Mode 2 is an application, not a boot loader.
        FileCase{"StatusOfAnApplication",
                 {{Closed({0x53, 0x06, 0x04, 0x02, 0x00, 0x00, 0x01, 0x00})}},
                 ProgramNoBootLoader,
                 0,
                 false},
        FileCase{"PrepareChecksumWrong",
                 {{Six}, {Closed({0x53, 0x09, 0x00}, true)}},
                 ProgramPrepareFailed,
                 ErrChecksum,
                 true},
        FileCase{"SecondRecordEchoDiffers",
                 {{Six}, {PrepareOk}, {Ack}, {Ack}, SpoiltEcho(Ack)},
                 ProgramRecordBase + 2,
                 ErrEcho,
                 true}),
    RowName());

TEST_F(ProgOnScriptedPeer, ProgressHoldsForFilesBeyond21Megabytes) {
  // 100 x 24 MB does not fit 32 bits; the blank line counts as consumed with the first record.
  Serve({{Six}, {PrepareOk}, {Ack}});
  const std::string file = std::string(rukmox::test::FirmwareHeader) + "\r\nS1030000FC\n" +
                           std::string(24u << 20, ' ') + "\nS9030000FC";
  std::vector<std::int32_t> positions;
  prog.OnProgress = [&](std::int32_t position, std::int32_t) { positions.push_back(position); };
  EXPECT_EQ(prog.ProgramFile(SizedFile(file)), ProgramOk);
  EXPECT_THAT(positions, ElementsAre(0, 99, 100));
}

}  // namespace
