// The window on the simulator over pseudo-terminals, through the real TRukMox, with its messages
// recorded instead of shown.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FastScenario.h"
#include "MessageSink.h"
#include "ModuleFactory.h"
#include "Rukmoxlight.h"
#include "Simulator.h"

namespace rukmox::window::test {

using rukmox::sim::CommandFrame;
using rukmox::sim::Scenario;
using rukmox::sim::World;

struct Message {
  bool error = false;
  QString text;
  bool question = false;
};

class RecordingSink : public MessageSink {
 public:
  void Error(const QString& text) override { Record({true, text}); }
  void Information(const QString& text) override { Record({false, text}); }
  bool Question(const QString& text) override {
    Record({false, text, true});
    return answer;
  }
  std::vector<Message> messages;
  bool answer = true;  // to every question
  // Called as each message arrives, while the handler waits for its box to be closed.
  std::function<void(const Message&)> onMessage;

 private:
  void Record(const Message& message) {
    messages.push_back(message);
    if (onMessage) onMessage(message);
  }
};

// The built-in installation without timing or chance: a dongle on channel 3 linked to SENSOR-A
// (-60 dBm), three more remotes, quiet pinned channels.
inline Scenario Linked() {
  return rukmox::sim::test::FastScenario();
}

// The same with the linked remote out of reach: the dongle alone.
inline Scenario DongleAlone() {
  Scenario s = Linked();
  s.remotes[0].inReach = false;
  return s;
}

// A remote heard at -40 dBm stays clean under the -60 dBm noise that makes the pair move.
inline Scenario Strong() {
  Scenario s = Linked();
  s.remotes[0].pathLossDb = 40;
  return s;
}

class SimulatedWindow {
 public:
  ~SimulatedWindow() {
    window.reset();
    if (sim) sim->Stop();
  }

  // Starts the simulator and the window on it; false when the simulator cannot start. `before`
  // gets the dongle's path before the window opens it, to do what another program would.
  bool Start(const Scenario& scenario,
             const std::function<void(const std::string& dongle)>& before = {}) {
    sim = std::make_unique<rukmox::sim::Simulator>(scenario);
    if (!sim->Start()) return false;
    if (before) before(sim->DonglePath());
    Open(sim->DonglePath());
    return true;
  }

  // The window on a dongle path where nothing answers.
  void StartWithoutDongle() { Open("/nonexistent/rukmox-dongle"); }

  // Frames the dongle decoded since the last call.
  std::vector<CommandFrame> Frames() {
    return sim->With([](World& w) {
      auto out = std::move(w.dongle.received);
      w.dongle.received.clear();
      return out;
    });
  }

  // The next `count` replies of the dongle after the ones already sent never come.
  void SilenceNextReplies(int count, int skip = 0) {
    sim->With([&](World& w) {
      for (int i = 1; i <= count; ++i) {
        rukmox::sim::ReplyFault fault;
        fault.kind = rukmox::sim::ReplyFault::Kind::Silence;
        fault.reply = w.dongle.repliesSent + static_cast<std::uint64_t>(skip + i);
        w.dongle.faults.push_back(fault);
      }
    });
  }

  template <typename T>
  T* Find(const char* name) const {
    return window->findChild<T*>(QString::fromLatin1(name));
  }
  QLineEdit* Edit(const char* name) const { return Find<QLineEdit>(name); }
  QComboBox* Combo(const char* name) const { return Find<QComboBox>(name); }
  QLabel* Label(const char* name) const { return Find<QLabel>(name); }
  QTimer* Timer() const { return Find<QTimer>("TimerUpdate"); }

  // Shows the window and gives it the focus, so that keys and focus changes arrive as they do
  // for an operator.
  bool ShowActive() {
    window->show();
    QApplication::setActiveWindow(window.get());
    return QTest::qWaitForWindowActive(window.get());
  }

  // Lets the operation the window runs (a scan, the sweeps, a programming job, a range test, the
  // console) go on to its end; false when it has not ended within `timeoutMs`.
  bool WaitForOperation(int timeoutMs = 30000) {
    if (!window->OperationRunning()) return true;
    QSignalSpy ended(window.get(), &TRukMoxFormLight::OperationFinished);
    return ended.wait(timeoutMs);
  }

  // Types as a keyboard does, one key per character; a character beyond ASCII comes as the text
  // of a key with no code of its own (a dead key or an input method would give it so).
  static void Type(QWidget* widget, const QString& text) {
    for (QChar c : text) {
      if (c.unicode() < 0x80)
        QTest::keyClick(widget, c.toLatin1());
      else
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
  }

  // Types into a field and presses Enter, with the poll timer held so that frames come from the
  // handler alone.
  void TypeAndEnter(const char* field, const QString& text) {
    QLineEdit* edit = Edit(field);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    Type(edit, text);
    Frames();
    QTest::keyClick(edit, Qt::Key_Return);
  }

  static std::size_t Count(const std::vector<CommandFrame>& frames, int code, int target) {
    return static_cast<std::size_t>(
        std::count_if(frames.begin(), frames.end(),
                      [&](const CommandFrame& f) { return f.code == code && f.target == target; }));
  }

  std::unique_ptr<rukmox::sim::Simulator> sim;
  RecordingSink messages;
  std::unique_ptr<TRukMoxFormLight> window;

 private:
  void Open(const std::string& donglePath) {
    rukmox::platform::TransportSettings settings;
    settings.DonglePath = donglePath;
    window = std::make_unique<TRukMoxFormLight>(
        [settings](std::int32_t* errorWord) { return CreateModule(settings, errorWord); }, messages,
        PlaceOf(settings, false));
  }
};

// One poll tick on its own, with the timer held.
inline void Tick(SimulatedWindow& w) {
  w.Timer()->stop();
  w.window->TimerUpdateTimer();
  w.Timer()->stop();
}

}  // namespace rukmox::window::test
