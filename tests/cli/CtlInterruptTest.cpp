// Ctrl-C, SIGTERM and SIGHUP in the middle of an operation: the operation ends where no device is
// left half-way (a scan back on the pair's channel and link, a pair moved whole, a job between two
// records), says that it was interrupted and ends with 128 + the signal's number.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include "BackgroundChild.h"
#include "CtlProgramFixture.h"
#include "NamedRows.h"

namespace rukmox::test {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here

using ::testing::HasSubstr;
using ::testing::Not;

constexpr std::chrono::seconds kEndLimit{30};
constexpr int kPairChannel = 3;  // SENSOR-A and the dongle, linked, in the built-in scenario
constexpr int kSensor = 0;

std::string SignalName(int signal) {
  return signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "SIGHUP";
}

class CtlInterrupt : public CtlProgramFixture {
 protected:
  // rukmoxctl with the simulator's devices and `args`, in the background.
  std::unique_ptr<BackgroundChild> Start(const std::vector<std::string>& args) {
    if (!sim_) StartSimulator();
    std::vector<std::string> all = {"--dongle", sim_->DonglePath(), "--ports",
                                    sim_->PortsVariable()};
    all.insert(all.end(), args.begin(), args.end());
    return std::make_unique<BackgroundChild>(RUKMOXCTL_PROGRAM, all);
  }

  // Sends `signal` to `child` once the dongle has dealt with the first frame with `code`: the
  // command meets it in the middle of its operation, at the same step every time.
  void SignalWhenDongleReceives(std::uint8_t code, BackgroundChild& child, int signal) {
    const pid_t pid = child.Pid();
    OnceDongleReceives(code, [pid, signal](sim::World&) { kill(pid, signal); });
  }

  // Where the pair is: the dongle's channel, the remote's, and whether they are linked.
  struct Pair {
    int dongleChannel;
    int remoteChannel;
    bool linked;
  };
  Pair PairNow() {
    return sim_->With([](sim::World& w) {
      return Pair{w.dongle.current.channel, w.remotes[kSensor].current.channel,
                  w.LinkedRemote() == kSensor};
    });
  }
};

struct SignalCase {
  const char* name;
  int signal;
};

const auto kSignals = ::testing::Values(SignalCase{"CtrlC", SIGINT}, SignalCase{"Term", SIGTERM},
                                        SignalCase{"HangUp", SIGHUP});

class CtlInterruptedScan : public CtlInterrupt, public ::testing::WithParamInterface<SignalCase> {};

TEST_P(CtlInterruptedScan, PutsThePairBackAndSaysItWasInterrupted) {
  const int signal = GetParam().signal;
  auto child = Start({"scan", "0", "15"});
  SignalWhenDongleReceives(TRukMox::CmdScan, *child, signal);
  const ChildResult r = child->Finish(kEndLimit);

  EXPECT_EQ(r.status, 128 + signal) << r.err;
  EXPECT_THAT(r.err, HasSubstr("Interrupted by " + SignalName(signal) + "."));
  // Not the network's answer: the scan did not get to ask it.
  EXPECT_THAT(r.out, Not(HasSubstr("No remote devices found.")));
  EXPECT_THAT(r.out, Not(HasSubstr("Have been identified")));
  const Pair pair = PairNow();
  EXPECT_EQ(pair.dongleChannel, kPairChannel);
  EXPECT_TRUE(pair.linked);
}

TEST_P(CtlInterruptedScan, ConnectConnectsNothingAndSaysItWasInterrupted) {
  const int signal = GetParam().signal;
  auto child = Start({"connect", "PUMP-7"});
  SignalWhenDongleReceives(TRukMox::CmdScan, *child, signal);
  const ChildResult r = child->Finish(kEndLimit);

  EXPECT_EQ(r.status, 128 + signal) << r.err;
  EXPECT_THAT(r.err, HasSubstr("Interrupted by " + SignalName(signal) + "."));
  EXPECT_THAT(r.err, Not(HasSubstr("was found on channels")));
  const Pair pair = PairNow();
  EXPECT_EQ(pair.dongleChannel, kPairChannel);
  EXPECT_TRUE(pair.linked);  // still with SENSOR-A
}

INSTANTIATE_TEST_SUITE_P(Signals, CtlInterruptedScan, kSignals, RowName());

class CtlInterruptedChannel : public CtlInterrupt,
                              public ::testing::WithParamInterface<SignalCase> {};

// The remote has moved and the dongle not yet: the move is finished, not cut in half.
TEST_P(CtlInterruptedChannel, MovesThePairWholeThenSaysItWasInterrupted) {
  const int signal = GetParam().signal;
  auto child = Start({"channel", "9"});
  SignalWhenDongleReceives(TRukMox::CmdSetChannel, *child, signal);
  const ChildResult r = child->Finish(kEndLimit);

  EXPECT_EQ(r.status, 128 + signal) << r.err;
  EXPECT_THAT(r.out, HasSubstr("Channel 9"));
  EXPECT_THAT(r.err, HasSubstr("Interrupted by " + SignalName(signal) + "."));
  const Pair pair = PairNow();
  EXPECT_EQ(pair.dongleChannel, 9);
  EXPECT_EQ(pair.remoteChannel, 9);
  EXPECT_TRUE(pair.linked);
}

INSTANTIATE_TEST_SUITE_P(Signals, CtlInterruptedChannel, kSignals, RowName());

struct JobCase {
  const char* name;
  const char* target;
  int signal;
};

class CtlInterruptedJob : public CtlInterrupt, public ::testing::WithParamInterface<JobCase> {
 protected:
  void SetUp() override {
    CtlInterrupt::SetUp();
    // A record takes a while, so that the signal falls between two of them.
    for (sim::PortSetup& port : scenario_.ports) port.boot.recordMs = 40;
  }

  std::size_t Records(bool dongle) {
    return sim_->With([dongle](sim::World& w) {
      return dongle ? w.dongle.boot.records.size() : w.ports[1].boot.records.size();
    });
  }

  // Waits until the target's boot loader has taken `count` records.
  bool WaitForRecords(bool dongle, std::size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (Records(dongle) < count)
      if (std::chrono::steady_clock::now() > deadline)
        return false;
      else
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return true;
  }
};

TEST_P(CtlInterruptedJob, EndsBetweenTwoRecordsAndSaysHowToBringTheDeviceBack) {
  const JobCase& c = GetParam();
  const bool dongle = std::string(c.target) == "dongle";
  constexpr std::size_t kRecords = 9;
  StartSimulator();
  const std::string file = WriteImage(kRecords - 1);
  auto child = Start({"program", c.target, file});
  ASSERT_TRUE(WaitForRecords(dongle, 2));
  child->Signal(c.signal);
  const ChildResult r = child->Finish(kEndLimit);

  EXPECT_EQ(r.status, 128 + c.signal) << r.err;
  // The record in flight was finished and counted; no record was left half sent.
  const std::size_t taken = Records(dongle);
  EXPECT_GE(taken, 2u);
  EXPECT_LT(taken, kRecords);
  EXPECT_THAT(r.err, HasSubstr("Programming stopped after record " + std::to_string(taken) +
                               " of " + std::to_string(kRecords) + ".\n" +
                               "The device is waiting in its boot loader: programming a valid "
                               "file brings it back."));
  EXPECT_THAT(r.err, HasSubstr("Interrupted by " + SignalName(c.signal) + "."));
  EXPECT_THAT(r.out, Not(HasSubstr("Programming successful.")));

  // As the message says: a valid file brings the device back.
  const ChildResult again = Ctl({"program", c.target, file});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(Records(dongle), kRecords);
}

INSTANTIATE_TEST_SUITE_P(Signals, CtlInterruptedJob,
                         ::testing::Values(JobCase{"DongleCtrlC", "dongle", SIGINT},
                                           JobCase{"McuTerm", "mcu", SIGTERM},
                                           JobCase{"DongleHangUp", "dongle", SIGHUP}),
                         RowName());

TEST_F(CtlInterrupt, ASecondSignalEndsTheJobAtOnce) {
  for (sim::PortSetup& port : scenario_.ports) port.boot.recordMs = 2000;
  StartSimulator();
  auto child = Start({"program", "dongle", WriteImage()});
  // The first record is in the boot loader's hands, its answer two seconds away.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (sim_->With([](sim::World& w) { return w.dongle.boot.records.empty(); }) &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  child->Signal(SIGTERM);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  child->Signal(SIGTERM);
  EXPECT_TRUE(child->EndsWithin(std::chrono::milliseconds(1000)));
  child->Finish(kEndLimit);
  EXPECT_EQ(child->KilledBy(), SIGTERM);
}

}  // namespace
}  // namespace rukmox::test
