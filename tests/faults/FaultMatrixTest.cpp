// The fault matrix. Each cell starts the simulated installation with one fault, runs one operation
// of the module link or of the programming job into it and checks four things: the operation ends
// within its time-outs, it fails the way it should (or recovers where a retry is due), no
// descriptor is left behind, and the device works again afterwards.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "FastScenario.h"
#include "FirmwareImage.h"
#include "NamedRows.h"
#include "ProgrammingFile.h"
#include "Rukmox.h"
#include "Rukmoxprog.h"
#include "Simulator.h"
#include "StableName.h"
#include "TimingSlack.h"
#include "platform/D2xxLibrary.h"

namespace rukmox::test {
namespace {

using namespace std::chrono_literals;
using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using Clock = std::chrono::steady_clock;
using sim::ReplyFault;
using sim::Scenario;
using sim::World;

constexpr std::int32_t kTimeout = 100;  // the module link's base time-out, as the window uses it

int OpenDescriptors() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (readdir(dir) != nullptr) ++count;
    closedir(dir);
  }
  return count;
}

// Quiet and deterministic, with the remotes heard well.
Scenario Installation() {
  Scenario s = sim::test::FastScenario();
  for (auto& r : s.remotes) r.pathLossDb = 40;
  return s;
}

class FaultMatrix;

// What one cell did: whether the operation succeeded and the error word right after it.
struct Outcome {
  bool ok = false;
  std::int32_t error = 0;
};

struct FaultCase {
  const char* name;
  std::function<void(Scenario&)> fault;  // on the installation before it starts
  std::function<Outcome(FaultMatrix&)> run;
  bool ok;                // expected result of the operation
  std::int32_t mustHave;  // bits the error word must hold afterwards
  std::chrono::milliseconds within;
};

class FaultMatrix : public ::testing::TestWithParam<FaultCase> {
 public:
  // --- the module link
  TRukMox& Mox() {
    if (!mox_) {
      platform::TransportSettings settings;
      settings.DonglePath = dongle_->path();
      settings.SysfsRoot = "/nonexistent/sys";
      mox_ = std::make_unique<TRukMox>(nullptr, TRukMox::MoxPort, 5, &moxError_, true, 0, 0,
                                       platform::LoadD2xxLibrary(settings));
      mox_->SetTimeout(kTimeout);
    }
    return *mox_;
  }
  std::int32_t MoxError() const { return moxError_; }
  // Opens the module link and then arms `fault` on the running world, so that Open itself is clean.
  bool OpenThen(std::function<void(World&)> fault) {
    if (!Mox().Open()) return false;
    if (fault) sim_->With(fault);
    return true;
  }

  // --- the programming job on the dongle's serial face (port 0)
  TRukMoxProg& Prog() {
    if (!prog_) {
      platform::TransportSettings settings;
      settings.Ports = {face_->path()};
      prog_ = std::make_unique<TRukMoxProg>(nullptr, 0, 5, &progError_, true, 0, 0, settings);
    }
    return *prog_;
  }
  std::int32_t ProgError() const { return progError_; }
  std::vector<std::uint8_t> Firmware() const {
    const std::string text = FirmwareFile(ImageRecords(128));
    return *programming::MakeSizedBuffer(AsBytes(text));
  }
  // The job as the window runs it: boot loader on the port, then the file.
  Outcome Program() {
    TRukMoxProg& prog = Prog();
    if (!prog.Open() || !prog.EnterBootLoader(DeviceDongle)) return {false, progError_};
    const std::int32_t result = prog.ProgramFile(Firmware());
    return {result == ProgramOk, progError_};
  }

  sim::Simulator& Sim() { return *sim_; }
  void Hold(const std::string& path) {
    holder_ = open(path.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_EQ(flock(holder_, LOCK_EX | LOCK_NB), 0);
  }
  const std::string& DonglePath() const { return dongle_->path(); }
  const std::string& FacePath() const { return face_->path(); }

 protected:
  void SetUp() override {
    Scenario scenario = Installation();
    if (GetParam().fault) GetParam().fault(scenario);
    sim_ = std::make_unique<sim::Simulator>(scenario);
    std::string why;
    ASSERT_TRUE(sim_->Start(&why)) << why;
    dongle_ = std::make_unique<StableName>(sim_->DonglePath());
    face_ = std::make_unique<StableName>(sim_->PortPaths()[0]);
    ASSERT_TRUE(dongle_->ok() && face_->ok());
    descriptors_ = OpenDescriptors();
  }
  void TearDown() override {
    if (holder_ >= 0) close(holder_);
    mox_.reset();
    prog_.reset();
    if (sim_) sim_->Stop();
  }

  // After the cell: the dongle is plugged in again if it went away, released if it was held.
  void Recover() {
    if (holder_ >= 0) close(holder_);
    holder_ = -1;
    const bool gone = sim_->With([](World& w) { return w.dongle.unplugged; }) ||
                      (mox_ && mox_->DeviceGone()) || (prog_ && prog_->DeviceGone());
    if (gone) {
      std::string why;
      ASSERT_TRUE(sim_->Replug(&why)) << why;
      ASSERT_TRUE(dongle_->PointAt(sim_->DonglePath()));
      ASSERT_TRUE(face_->PointAt(sim_->PortPaths()[0]));
    }
    // A reply held back by a latency spike still arrives: let it come and go before the next
    // exchange, which would otherwise take it for its own (replies carry no command code).
    const int late = sim_->With([](World& w) { return w.timing.replyDelayMs; });
    if (late > 0) std::this_thread::sleep_for(std::chrono::milliseconds(2 * late));
    sim_->With([](World& w) {
      w.dongle.faults.clear();
      w.dongle.silent = false;
      w.timing.replyDelayMs = 0;
      w.dongle.boot.setup = sim::BootLoaderSetup{};
      w.dongle.boot.setup.prepareMs = 0;
    });
  }

  std::unique_ptr<sim::Simulator> sim_;
  std::unique_ptr<StableName> dongle_;
  std::unique_ptr<StableName> face_;
  std::unique_ptr<TRukMox> mox_;
  std::unique_ptr<TRukMoxProg> prog_;
  std::int32_t moxError_ = 0;
  std::int32_t progError_ = 0;
  int holder_ = -1;
  int descriptors_ = 0;
};

TEST_P(FaultMatrix, EndsInTimeWithTheExpectedFailureAndRecovers) {
  const FaultCase& c = GetParam();
  const auto start = Clock::now();
  const Outcome outcome = c.run(*this);
  const auto took = Clock::now() - start;
  RecordProperty(
      "took_ms",
      static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
  RecordProperty("error_word", outcome.error);

  EXPECT_EQ(outcome.ok, c.ok);
  EXPECT_EQ(outcome.error & c.mustHave, c.mustHave) << "error word " << outcome.error;
  EXPECT_LT(took, c.within + kLate)
      << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms";

  // Nothing held once the objects are closed and the device is back.
  if (mox_) mox_->Close();
  if (prog_) prog_->Close();
  Recover();
  EXPECT_EQ(OpenDescriptors(), descriptors_) << "descriptors leaked";

  // The job that was cut short can be redone, and the module link opens again afterwards.
  if (prog_) {
    const Outcome again = Program();
    EXPECT_TRUE(again.ok) << "redone job, error word " << again.error;
    prog_->Close();
  }
  EXPECT_TRUE(Mox().Open()) << "error word " << moxError_;
  EXPECT_TRUE(Mox().Ping(false));
  Mox().Close();
}

Outcome Exchange(FaultMatrix& m, std::function<void(World&)> fault) {
  if (!m.OpenThen(std::move(fault))) return {false, m.MoxError()};
  std::int32_t quality = 0;
  const bool ok = m.Mox().ReadLinkQuality(quality, true);
  return {ok, m.MoxError()};
}

// The n-th reply from now on carries the fault.
std::function<void(World&)> NextReply(ReplyFault fault) {
  return [fault](World& w) mutable {
    fault.reply = w.dongle.repliesSent + 1;
    w.dongle.faults.push_back(fault);
  };
}

ReplyFault Fault(ReplyFault::Kind kind, std::size_t index = 0,
                 std::vector<std::uint8_t> bytes = {}) {
  ReplyFault f;
  f.kind = kind;
  f.index = index;
  f.bytes = std::move(bytes);
  return f;
}

std::function<void(World&)> UnplugAfter(std::uint8_t code) {
  return [code](World& w) {
    w.dongle.triggers.push_back({code, [](World& world) { world.dongle.unplugged = true; }});
  };
}

// One reply's time-out: the read total constant plus a byte's multiplier, per byte still missing.
constexpr auto kReply = std::chrono::milliseconds(kTimeout + 5);
// A whole programming job on the simulator: the boot loader found, prepared, four records sent.
constexpr auto kJob = 4000ms;

INSTANTIATE_TEST_SUITE_P(
    Cells, FaultMatrix,
    ::testing::Values(
        // --- the module link
        FaultCase{"DroppedByte", nullptr,
                  [](FaultMatrix& m) {
                    return Exchange(m, NextReply(Fault(ReplyFault::Kind::DropByte, 2)));
                  },
                  false, ErrShortTransfer, kReply},
        FaultCase{"CorruptedMarker", nullptr,
                  [](FaultMatrix& m) {
                    return Exchange(m, NextReply(Fault(ReplyFault::Kind::CorruptByte, 0)));
                  },
                  false, 0, kReply},
        FaultCase{"CorruptedLength", nullptr,
                  [](FaultMatrix& m) {
                    ReplyFault f = Fault(ReplyFault::Kind::CorruptByte, 1);
                    f.mask = 0x80;  // a length beyond 110
                    return Exchange(m, NextReply(f));
                  },
                  false, 0, kReply},
        FaultCase{
            "ExtraBytes", nullptr,
            [](FaultMatrix& m) {
              return Exchange(m, NextReply(Fault(ReplyFault::Kind::Garbage, 0, {0x11, 0x22})));
            },
            false, 0, kReply},
        FaultCase{
            "Silence", nullptr,
            [](FaultMatrix& m) { return Exchange(m, NextReply(Fault(ReplyFault::Kind::Silence))); },
            false, ErrShortTransfer, kReply},
        FaultCase{"LatencySpike", nullptr,
                  [](FaultMatrix& m) {
                    return Exchange(m, [](World& w) { w.timing.replyDelayMs = 3 * kTimeout; });
                  },
                  false, ErrShortTransfer, kReply},
        FaultCase{"UnplugMidExchange", nullptr,
                  [](FaultMatrix& m) {
                    // The command reaches the dongle, which goes away before it answers.
                    return Exchange(m, [](World& w) {
                      w.dongle.silent = true;
                      UnplugAfter(TRukMox::CmdLinkQuality)(w);
                    });
                  },
                  false, ErrDeviceGone, kReply},
        FaultCase{"UnplugMidScan", nullptr,
                  [](FaultMatrix& m) {
                    if (!m.OpenThen(UnplugAfter(TRukMox::CmdScan))) return Outcome{false, 0};
                    m.Mox().ScanRepeat = 5;
                    m.Mox().ScanNetwork(0, 15);
                    // Sixteen channels of five requests each would take seconds of time-outs.
                    return Outcome{!m.Mox().DeviceGone(), m.MoxError()};
                  },
                  false, ErrDeviceGone, kReply},
        FaultCase{"DongleHeldByAnotherProcess", nullptr,
                  [](FaultMatrix& m) {
                    m.Hold(m.DonglePath());
                    return Outcome{m.Mox().Open(), m.MoxError()};
                  },
                  false, ErrOpen, 50ms},
        // --- the programming job on the dongle's serial face
        FaultCase{"UnplugMidProgramming",
                  [](Scenario& s) { s.ports[0].boot.hangUpAfterRecord = 2; },
                  [](FaultMatrix& m) { return m.Program(); }, false, ErrDeviceGone, kJob},
        // One garbled echo costs one attempt of four: the step is tried again and the job ends
        // well.
        FaultCase{"CorruptedBootLoaderEcho", [](Scenario& s) { s.ports[0].boot.corruptEcho = 40; },
                  [](FaultMatrix& m) { return m.Program(); }, true, 0, kJob},
        FaultCase{"WrongStatusChecksum",
                  [](Scenario& s) {
                    s.ports[0].inBootLoader = true;
                    s.ports[0].boot.badStatusChecksum = true;
                  },
                  [](FaultMatrix& m) {
                    TRukMoxProg::TStatusRecord status{};
                    if (!m.Prog().Open()) return Outcome{false, m.ProgError()};
                    return Outcome{m.Prog().QueryBootStatus(status), m.ProgError()};
                  },
                  false, ErrChecksum, kReply},
        FaultCase{"PortHeldByAnotherProcess", nullptr,
                  [](FaultMatrix& m) {
                    m.Hold(m.FacePath());
                    return Outcome{m.Prog().Open(), m.ProgError()};
                  },
                  false, ErrOpen, 50ms}),
    RowName());

// A node the user may not open. Root opens every node whatever its mode, so only an ordinary user
// meets this cell.
TEST(FaultMatrixPermission, PortWithoutPermissionIsRefusedAndWorksOnceAllowed) {
  if (geteuid() == 0) GTEST_SKIP() << "root is never refused";
  sim::Simulator sim(Installation());
  ASSERT_TRUE(sim.Start());
  const std::string path = sim.PortPaths()[0];
  struct stat before {};
  ASSERT_EQ(stat(path.c_str(), &before), 0);
  ASSERT_EQ(chmod(path.c_str(), 0), 0);
  std::int32_t error = 0;
  platform::TransportSettings settings;
  settings.Ports = {path};
  TRukMoxProg prog(nullptr, 0, 5, &error, true, 0, 0, settings);
  const int descriptors = OpenDescriptors();
  EXPECT_FALSE(prog.Open());
  EXPECT_EQ(error, ErrOpen);
  EXPECT_EQ(OpenDescriptors(), descriptors);
  ASSERT_EQ(chmod(path.c_str(), before.st_mode & 07777), 0);
  EXPECT_TRUE(prog.Open());
}

}  // namespace
}  // namespace rukmox::test
