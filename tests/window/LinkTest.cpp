// The link page: the poll tick's readings and pictures, the re-read after the module moved the
// pair on its own, and the operator's channel list.
#include <QSignalSpy>

#include "WindowFixture.h"

using namespace rukmox::window::test;

namespace {

constexpr int kLinkQuality = TRukMox::CmdLinkQuality;
constexpr int kInfo = TRukMox::CmdInfo;
constexpr int kSetChannel = TRukMox::CmdSetChannel;

int QualityBar(SimulatedWindow& w) {
  return w.Find<QProgressBar>("ProgressBarLink")->value();
}

struct PaintCounter : QObject {
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

}  // namespace

class LinkTest : public QObject {
  Q_OBJECT

 private:
  // One tick on its own, with the timer held, so that its frames can be told apart.
  static std::vector<CommandFrame> Tick(SimulatedWindow& w) {
    w.Timer()->stop();
    w.Frames();
    w.window->TimerUpdateTimer();
    w.Timer()->stop();
    return w.Frames();
  }

 private slots:
  void tickShowsTheLinkQuality_data() {
    QTest::addColumn<int>("dbm");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("bar");
    QTest::newRow("-60 dBm") << -60 << "Quality (34)" << 34;
    QTest::newRow("-100 dBm: below the bar") << -100 << "Quality (-6)" << 0;
    QTest::newRow("-30 dBm: above the bar") << -30 << "Quality (64)" << 50;
  }
  void tickShowsTheLinkQuality() {
    QFETCH(int, dbm);
    QFETCH(QString, label);
    QFETCH(int, bar);
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));  // the remote is heard at -60 dBm
    // Where in a tick the quality reading comes, so that its answer can be made to say `dbm`.
    const auto frames = Tick(w);
    const auto at = std::find_if(frames.begin(), frames.end(), [](const CommandFrame& f) {
      return f.code == kLinkQuality && f.target == 1;
    });
    QVERIFY(at != frames.end());
    const auto position = static_cast<std::uint64_t>(at - frames.begin()) + 1;
    w.sim->With([&](World& world) {
      // The reply is 64, length, then the reading as dBm + 65535, low byte first.
      const unsigned heard = 65535 - 60;
      const unsigned wanted = static_cast<unsigned>(65535 + dbm);
      for (std::size_t index : {std::size_t{2}, std::size_t{3}}) {
        const int shift = index == 2 ? 0 : 8;
        rukmox::sim::ReplyFault fault;
        fault.kind = rukmox::sim::ReplyFault::Kind::CorruptByte;
        fault.reply = world.dongle.repliesSent + position;
        fault.index = index;
        fault.mask = static_cast<std::uint8_t>(((heard ^ wanted) >> shift) & 0xFF);
        world.dongle.faults.push_back(fault);
      }
    });
    Tick(w);
    QCOMPARE(w.Label("LabelLink")->text(), label);
    QCOMPARE(QualityBar(w), bar);
    QVERIFY(!w.Find<QWidget>("ImageConnected")->isHidden());
  }

  void tickWithTheTimerShowsQualityAndEnergy() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    QSignalSpy ticks(w.window.get(), &rukmox::window::TRukMoxFormLight::PollTicked);
    QVERIFY(ticks.wait(2000));
    QCOMPARE(w.Label("LabelLink")->text(), QString("Quality (34)"));
    QCOMPARE(w.Label("LabelEnergy")->text(), QString("Energy (4)"));  // -90 dBm
    QCOMPARE(w.Find<QProgressBar>("ProgressBarEnergy")->value(), 4);
    // The next tick comes again by itself, 100 ms after this one ended.
    QVERIFY(w.Timer()->isActive());
    QVERIFY(ticks.wait(2000));
  }

  void failedQualityReadingShowsZeroWithTheLinkPicture() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    const auto frames = Tick(w);
    const auto at = std::find_if(frames.begin(), frames.end(),
                                 [](const CommandFrame& f) { return f.code == kLinkQuality; });
    QVERIFY(at != frames.end());
    w.SilenceNextReplies(1, static_cast<int>(at - frames.begin()));
    Tick(w);
    QCOMPARE(w.Label("LabelLink")->text(), QString("Quality (0)"));
    QVERIFY(!w.Find<QWidget>("ImageConnected")->isHidden());
  }

  void withoutRemoteTheQualityIsZero() {
    SimulatedWindow w;
    QVERIFY(w.Start(DongleAlone()));
    w.sim->With([](World& world) { world.PinNoise(3, -70); });
    const auto frames = Tick(w);
    QCOMPARE(SimulatedWindow::Count(frames, kLinkQuality, 1), std::size_t{0});
    QCOMPARE(w.Label("LabelLink")->text(), QString("Quality (0)"));
    QCOMPARE(QualityBar(w), 0);
    QCOMPARE(w.Label("LabelEnergy")->text(), QString("Energy (24)"));
    QVERIFY(w.Find<QWidget>("ImageConnected")->isHidden());
    QVERIFY(!w.Find<QWidget>("ImageNotConnected")->isHidden());
  }

  void newReadingsRepaintTheReadingsAlone() {
    // A label that asks for a new layout makes every tab page around it repaint itself whole,
    // ten times a second while the readings drift; the pages beside the readings show it.
    SimulatedWindow w;
    QVERIFY(w.Start(DongleAlone()));
    QVERIFY(w.ShowActive());
    PaintCounter energy;
    w.Label("LabelEnergy")->installEventFilter(&energy);
    Tick(w);
    // The first show's layout passes and paints have run out once the reading is painted.
    QTRY_VERIFY(energy.paints > 0);
    w.Timer()->stop();
    PaintCounter pages;
    for (const char* page : {"PageDongle", "PageRemote", "PagePin"})
      w.Find<QWidget>(page)->installEventFilter(&pages);
    for (int dbm : {-88, -84, -86}) {
      w.sim->With([dbm](World& world) { world.PinNoise(3, dbm); });
      const int painted = energy.paints;
      Tick(w);
      // The new reading is painted; whatever else its change repaints is painted with it.
      QTRY_VERIFY(energy.paints > painted);
      w.Timer()->stop();
    }
    QCOMPARE(w.Label("LabelEnergy")->text(), QString("Energy (8)"));
    QCOMPARE(pages.paints, 0);
  }

  void withDongleGoneTheTickLeavesNoReadingBehind() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    Tick(w);
    QCOMPARE(w.Label("LabelEnergy")->text(), QString("Energy (4)"));
    w.window->Device()->Close();
    Tick(w);
    // A reading of a dongle that is no longer there would pass for a live one.
    QCOMPARE(w.Label("LabelEnergy")->text(), QString("Energy (0)"));
    QVERIFY(!w.Label("LabelEnergy")->isEnabled());
    QVERIFY(w.Find<QWidget>("ImageConnected")->isHidden());
    QVERIFY(!w.Find<QWidget>("ImageNotConnected")->isHidden());
  }

  void twoAutomaticMovesBetweenTicksRereadBothPanelsOnce() {
    // A remote heard at -40 dBm stays clean under the -60 dBm noise that makes the pair move.
    Scenario strong = Linked();
    strong.remotes[0].pathLossDb = 40;
    SimulatedWindow w;
    QVERIFY(w.Start(strong));
    Tick(w);
    TRukMox& module = *w.window->Device();
    // Noise on the channel in use makes the module move the pair, twice.
    w.sim->With([](World& world) { world.PinNoise(3, -60); });
    QVERIFY(module.AdaptChannel());
    const int first = module.Local.Channel;
    QVERIFY(first != 3);
    w.sim->With([first](World& world) { world.PinNoise(first, -60); });
    QVERIFY(module.AdaptChannel());
    const int second = module.Local.Channel;
    QVERIFY(second != first);
    QCOMPARE(module.ChannelChanges, 2);
    QCOMPARE(w.Combo("ComboCanale")->currentIndex(), 3);  // not re-read yet

    auto frames = Tick(w);
    QCOMPARE(w.window->ChannelMoves(), 2);
    QCOMPARE(SimulatedWindow::Count(frames, kInfo, 0), std::size_t{1});
    QCOMPARE(SimulatedWindow::Count(frames, kInfo, 1), std::size_t{1});
    QCOMPARE(w.Combo("ComboCanale")->currentIndex(), second);

    frames = Tick(w);
    QCOMPARE(SimulatedWindow::Count(frames, kInfo, 0), std::size_t{0});
    QCOMPARE(SimulatedWindow::Count(frames, kInfo, 1), std::size_t{0});
  }

  void pickingAChannelMovesThePair() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    w.Timer()->stop();
    w.Frames();
    QTest::keyClick(w.Combo("ComboCanale"), Qt::Key_7);  // the operator picks "7"
    const auto frames = w.Frames();
    QVERIFY(SimulatedWindow::Count(frames, kSetChannel, 1) >= 1);
    QVERIFY(SimulatedWindow::Count(frames, kSetChannel, 0) >= 1);
    QVERIFY(w.messages.messages.empty());
    const auto channels = w.sim->With([](World& world) {
      return std::make_pair(world.dongle.current.channel, world.remotes[0].current.channel);
    });
    QCOMPARE(channels, std::make_pair(7, 7));
    QCOMPARE(w.Combo("ComboCanale")->currentText(), QString("7"));
    QCOMPARE(w.window->Device()->Local.Channel, 7);
  }

  void aChannelTheRemoteCannotReachShowsItsMessage() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    w.Timer()->stop();
    w.sim->With([](World& world) { world.remotes[0].inReach = false; });
    QTest::keyClick(w.Combo("ComboCanale"), Qt::Key_7);
    QCOMPARE(w.messages.messages.size(), std::size_t{1});
    QCOMPARE(w.messages.messages.front().text,
             QString("Impossibile impostare il nuovo canale per la coppia di dispositivi."));
    // Both devices are read again: the remote no longer answers, so its panel empties.
    QCOMPARE(w.Combo("ComboCanale")->currentIndex(), -1);
    QVERIFY(!w.Combo("ComboCanale")->isEnabled());
    QVERIFY(w.Edit("EditNomeDongle")->isEnabled());
  }
};

QTEST_MAIN(LinkTest)
#include "LinkTest.moc"
