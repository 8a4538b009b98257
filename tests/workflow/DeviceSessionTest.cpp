// The device session's rules on a module opened on the simulated dongle: one operation at a time,
// the poll tick resting, the close refused, waited for or preceded by a stop, the stop request,
// and the dongle noticed gone only between operations.
#include "DeviceSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FastScenario.h"
#include "NamedRows.h"
#include "Simulator.h"
#include "platform/D2xxLibrary.h"

namespace rukmox::workflow {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using rukmox::test::RowName;
using Events = std::vector<std::string>;

const char* NameOf(OperationKind kind) {
  switch (kind) {
    case OperationKind::Scan:
      return "scan";
    case OperationKind::Sweeps:
      return "sweeps";
    case OperationKind::Programming:
      return "programming";
    case OperationKind::RangeTest:
      return "range test";
    case OperationKind::Console:
      return "console";
  }
  return "?";
}

// What the window would be told, in order.
class RecordingFace : public SessionFace {
 public:
  void PollMayRun(bool may) override {
    pollMayRun = may;
    events.push_back(may ? "poll on" : "poll off");
  }
  void OperationStarts(OperationKind kind) override {
    events.push_back(std::string("start ") + NameOf(kind));
  }
  void OperationEnded(OperationKind kind) override {
    events.push_back(std::string("end ") + NameOf(kind));
  }
  void StepDue(Operation::Wait) override { ++stepsDue; }
  void DongleLost() override { events.push_back("gone"); }
  void CloseNow() override { events.push_back("close"); }

  bool Told(const std::string& event) const {
    return std::find(events.begin(), events.end(), event) != events.end();
  }

  Events events;
  bool pollMayRun = false;
  int stepsDue = 0;
};

// An operation of `steps` steps that ends at its next step once stopped, or, like a console with
// something still to send, runs its steps out; `onStep` runs in each step.
class CountedOperation : public Operation {
 public:
  CountedOperation(int steps, int* stops, bool endsWhenStopped = true)
      : left_(steps), stops_(stops), endsWhenStopped_(endsWhenStopped) {}
  std::optional<Wait> Step() override {
    if ((stopped_ && endsWhenStopped_) || left_ == 0) return std::nullopt;
    if (onStep) onStep();
    return --left_ > 0 ? std::optional<Wait>(Wait{0}) : std::nullopt;
  }
  void Stop() override {
    stopped_ = true;
    if (stops_ != nullptr) ++*stops_;
  }
  std::function<void()> onStep;

 private:
  int left_;
  int* stops_;
  bool endsWhenStopped_;
  bool stopped_ = false;
};

class DeviceSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim = std::make_unique<sim::Simulator>(sim::test::FastScenario());
    ASSERT_TRUE(sim->Start());
    platform::TransportSettings settings;
    settings.DonglePath = sim->DonglePath();
    settings.SysfsRoot = "/nonexistent/sys";
    session = std::make_unique<DeviceSession>(
        [settings](std::int32_t* errorWord) {
          return std::make_unique<TRukMox>(nullptr, 3000, 5, errorWord, true, 0, 0,
                                           platform::LoadD2xxLibrary(settings));
        },
        face);
    ASSERT_TRUE(session->Open());
    face.events.clear();
  }
  void TearDown() override {
    session.reset();
    sim->Stop();
  }

  // Starts an operation of `steps` steps.
  bool StartCounted(OperationKind kind, int steps, int* stops = nullptr) {
    return session->Start(kind, std::make_unique<CountedOperation>(steps, stops));
  }
  // Steps the running operation until it has ended.
  void RunOut() {
    for (int guard = 0; guard < 100 && session->Running(); ++guard) session->StepOperation();
  }

  std::unique_ptr<sim::Simulator> sim;
  RecordingFace face;
  std::unique_ptr<DeviceSession> session;
};

TEST_F(DeviceSessionTest, OneOperationAtATimeAndNoneInsideAHandler) {
  ASSERT_TRUE(StartCounted(OperationKind::Scan, 2));
  EXPECT_FALSE(session->CanStart());
  EXPECT_FALSE(StartCounted(OperationKind::Sweeps, 1));
  EXPECT_EQ(session->Running(), OperationKind::Scan);
  RunOut();
  EXPECT_EQ(face.events.front(), "start scan");
  EXPECT_TRUE(face.Told("end scan"));
  EXPECT_EQ(face.events.back(), "poll on");

  {
    const DeviceSession::Exchange handler(*session);
    EXPECT_FALSE(StartCounted(OperationKind::Sweeps, 1));
  }
  EXPECT_FALSE(session->Running());
  EXPECT_TRUE(StartCounted(OperationKind::Sweeps, 1));
}

struct PollCase {
  const char* name;
  std::optional<OperationKind> running;
  bool mayRun;
};

class PollPauseTest : public DeviceSessionTest, public ::testing::WithParamInterface<PollCase> {};

// Between the steps of an operation, and never inside a handler: the range test alone lets the
// tick in between its pings.
TEST_P(PollPauseTest, TheTickRunsOnlyWhereNothingElseTalksToTheModule) {
  const PollCase& c = GetParam();
  if (c.running) {
    ASSERT_TRUE(StartCounted(*c.running, 3));
  }
  session->StepOperation();  // the rule holds between steps
  EXPECT_EQ(session->PollMayRun(), c.mayRun);
  EXPECT_EQ(face.pollMayRun, c.mayRun);
  {
    const DeviceSession::Exchange handler(*session);
    EXPECT_FALSE(session->PollMayRun());
    EXPECT_FALSE(face.pollMayRun);
  }
  EXPECT_EQ(face.pollMayRun, c.mayRun);
}

INSTANTIATE_TEST_SUITE_P(Operations, PollPauseTest,
                         ::testing::Values(PollCase{"Idle", std::nullopt, true},
                                           PollCase{"Scan", OperationKind::Scan, false},
                                           PollCase{"Sweeps", OperationKind::Sweeps, false},
                                           PollCase{"Programming", OperationKind::Programming,
                                                    false},
                                           PollCase{"Console", OperationKind::Console, false},
                                           PollCase{"RangeTest", OperationKind::RangeTest, true}),
                         RowName());

TEST_F(DeviceSessionTest, EveryHandlerStartsThePollIntervalAfresh) {
  { const DeviceSession::Exchange handler(*session); }
  session->PollTick(nullptr);
  EXPECT_EQ(face.events, (Events{"poll off", "poll on", "poll off", "poll on"}));
}

TEST_F(DeviceSessionTest, AReleasedModuleIsNeitherPolledNorOperatedOn) {
  session->Release();
  EXPECT_EQ(session->Module(), nullptr);
  EXPECT_FALSE(session->PollMayRun());
  EXPECT_FALSE(face.pollMayRun);
  EXPECT_FALSE(StartCounted(OperationKind::Scan, 1));
  EXPECT_FALSE(session->Open());
  EXPECT_EQ(session->AskToClose(), DeviceSession::CloseAnswer::Now);
}

struct CloseCase {
  const char* name;
  OperationKind kind;
  int steps;  // steps the operation still has when the close is asked for
  DeviceSession::CloseAnswer answer;
  int stops;            // stop requests it got from the close
  bool closesAtItsEnd;  // the face is told CloseNow once it has ended
  bool endsWhenStopped = true;
};

class CloseTest : public DeviceSessionTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CloseTest, TheRunningOperationDecidesWhenTheWindowCloses) {
  const CloseCase& c = GetParam();
  int stops = 0;
  ASSERT_TRUE(session->Start(
      c.kind, std::make_unique<CountedOperation>(c.steps, &stops, c.endsWhenStopped)));
  face.events.clear();

  EXPECT_EQ(session->AskToClose(), c.answer);
  EXPECT_EQ(stops, c.stops);
  EXPECT_FALSE(face.Told("close"));
  RunOut();
  EXPECT_EQ(face.Told("close"), c.closesAtItsEnd);
  EXPECT_EQ(session->AskToClose(), DeviceSession::CloseAnswer::Now);
}

using Answer = DeviceSession::CloseAnswer;
INSTANTIATE_TEST_SUITE_P(
    Operations, CloseTest,
    ::testing::Values(
        CloseCase{"SweepsRefuse", OperationKind::Sweeps, 3, Answer::Refused, 0, false},
        CloseCase{"ScanIsWaitedFor", OperationKind::Scan, 3, Answer::Later, 0, true},
        CloseCase{"ProgrammingIsWaitedFor", OperationKind::Programming, 3, Answer::Later, 0, true},
        CloseCase{"RangeTestStopsAtOnce", OperationKind::RangeTest, 3, Answer::Now, 1, false},
        CloseCase{"IdleConsoleStopsAtOnce", OperationKind::Console, 1, Answer::Now, 1, false},
        // A line still to go out goes out first.
        CloseCase{"ConsoleSendsWhatItTookFirst", OperationKind::Console, 3, Answer::Later, 1, true,
                  false}),
    RowName());

TEST_F(DeviceSessionTest, AHandlerInsideTheModuleKeepsTheWindowOpen) {
  const DeviceSession::Exchange handler(*session);
  EXPECT_EQ(session->AskToClose(), DeviceSession::CloseAnswer::Refused);
}

TEST_F(DeviceSessionTest, TheStopRequestEndsTheOperationAndStaysUntilTheNextStarts) {
  int stops = 0;
  ASSERT_TRUE(StartCounted(OperationKind::Scan, 10, &stops));
  session->StepOperation();
  EXPECT_FALSE(session->StopRequested());
  session->Stop();
  EXPECT_EQ(stops, 1);
  EXPECT_TRUE(session->StopRequested());
  session->StepOperation();
  EXPECT_FALSE(session->Running());
  EXPECT_TRUE(face.Told("end scan"));
  EXPECT_TRUE(session->StopRequested());

  ASSERT_TRUE(StartCounted(OperationKind::Sweeps, 1));
  EXPECT_FALSE(session->StopRequested());
}

TEST_F(DeviceSessionTest, TheDongleIsSaidGoneOnlyBetweenOperations) {
  // A job that closes the module and opens it again is no loss.
  auto job = std::make_unique<CountedOperation>(2, nullptr);
  int step = 0;
  TRukMox& module = *session->Module();
  job->onStep = [&] {
    if (++step == 1)
      module.Close();
    else
      module.Open();
  };
  ASSERT_TRUE(session->Start(OperationKind::Programming, std::move(job)));
  RunOut();
  EXPECT_FALSE(face.Told("gone"));
  EXPECT_FALSE(session->DongleGone());

  // Closed and left closed by one: said once it has ended.
  auto leaving = std::make_unique<CountedOperation>(2, nullptr);
  leaving->onStep = [&] {
    module.Close();
    EXPECT_FALSE(face.Told("gone"));
  };
  ASSERT_TRUE(session->Start(OperationKind::Programming, std::move(leaving)));
  RunOut();
  EXPECT_EQ(std::count(face.events.begin(), face.events.end(), "gone"), 1);
  EXPECT_TRUE(session->DongleGone());

  // Opened again on the operator's word.
  EXPECT_TRUE(session->Open());
  EXPECT_FALSE(session->DongleGone());
}

TEST_F(DeviceSessionTest, AHangUpIsNoticedWhenTheHandlerEnds) {
  {
    const DeviceSession::Exchange handler(*session);
    sim->HangUp();
    std::int32_t quality = 0;
    session->Module()->ReadLinkQuality(quality, true);
    EXPECT_FALSE(face.Told("gone"));
  }
  if (session->IsOpen()) GTEST_SKIP() << "the transport does not close itself on a hang-up yet";
  EXPECT_TRUE(face.Told("gone"));
  EXPECT_TRUE(session->DongleGone());
}

}  // namespace
}  // namespace rukmox::workflow
