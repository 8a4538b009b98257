// The data console's small page and the window's running of it. While it runs the console owns
// the module's input: command exchanges would eat the remote host's data, so the poll tick stays
// off and the other operations are locked, as during the range test.
#include "ConsolePage.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <chrono>
#include <vector>

#include "Rukmoxlight.h"
#include "WindowWords.h"
#include "ui_DevicesPage.h"

namespace rukmox::window {
namespace {

// How long what the remote host sends may wait before it is shown.
constexpr auto kStep = std::chrono::milliseconds(10);
constexpr int kViewMinimumHeight = 40;
const QColor kSentColour = Qt::darkBlue;

// The line-end list's entries, in order; the first is named in the current language.
constexpr std::array<std::string_view, 4> kLineEnds = {"", "\r", "\n", "\r\n"};
constexpr int kDefaultLineEnd = 3;
// The mode list's entries.
constexpr int kTextEntry = 0;
constexpr int kHexEntry = 1;

}  // namespace

ConsolePage::ConsolePage(QTabWidget* pages) {
  tab = new QWidget;
  tab->setObjectName(QStringLiteral("TabConsole"));
  button = new QPushButton;
  button->setObjectName(QStringLiteral("ButtonConsole"));
  mode = new QComboBox;
  mode->setObjectName(QStringLiteral("ComboConsoleMode"));
  mode->addItems({QString(), QString()});  // named in the current language
  lineEnd = new QComboBox;
  lineEnd->setObjectName(QStringLiteral("ComboConsoleLineEnd"));
  lineEnd->addItems(
      {QString(), QStringLiteral("CR"), QStringLiteral("LF"), QStringLiteral("CR LF")});
  lineEnd->setCurrentIndex(kDefaultLineEnd);
  counts = new QLabel;
  counts->setObjectName(QStringLiteral("LabelConsoleCounts"));
  counts->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);  // never widens the window
  view = new QPlainTextEdit;
  view->setObjectName(QStringLiteral("ViewConsole"));
  view->setReadOnly(true);
  view->setMaximumBlockCount(kViewLines);
  view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  // The page takes the room the other small pages give it; the view fills what is left.
  view->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  view->setMinimumHeight(kViewMinimumHeight);
  line = new QLineEdit;
  line->setObjectName(QStringLiteral("EditConsoleLine"));
  line->setMaxLength(kLineLimit);
  send = new QPushButton;
  send->setObjectName(QStringLiteral("ButtonConsoleSend"));

  auto* top = new QHBoxLayout;
  top->addWidget(button);
  top->addWidget(mode);
  top->addWidget(lineEnd);
  top->addWidget(counts, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(line, 1);
  bottom->addWidget(send);
  auto* layout = new QVBoxLayout(tab);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  layout->addLayout(top);
  layout->addWidget(view, 1);
  layout->addLayout(bottom);
  pages->addTab(tab, QString());

  // A line end belongs to text lines only.
  QObject::connect(mode, &QComboBox::currentIndexChanged, lineEnd,
                   [ends = lineEnd](int entry) { ends->setEnabled(entry == kTextEntry); });

  pump = new QTimer(tab);
  pump->setObjectName(QStringLiteral("TimerConsole"));
  pump->setSingleShot(true);  // the next step is timed from the end of this one
}

ConsolePage::~ConsolePage() = default;

ConsoleMode ConsolePage::Mode() const {
  return mode->currentIndex() == kHexEntry ? ConsoleMode::Hex : ConsoleMode::Text;
}

std::string_view ConsolePage::LineEnd() const {
  const int entry = lineEnd->currentIndex();
  return entry >= 0 && entry < static_cast<int>(kLineEnds.size()) ? kLineEnds[entry]
                                                                  : std::string_view();
}

void ConsolePage::ShowReceived(std::span<const std::uint8_t> bytes) {
  Append(transcript_.Received(bytes, Mode()), false);
}

void ConsolePage::ShowSent(std::span<const std::uint8_t> bytes) {
  Append(transcript_.Sent(bytes, Mode()), true);
}

void ConsolePage::Append(const std::string& text, bool sent) {
  QScrollBar* scroll = view->verticalScrollBar();
  // Follow the newest lines unless the operator scrolled back to read.
  const bool atEnd = scroll->value() == scroll->maximum();
  QTextCursor end(view->document());
  end.movePosition(QTextCursor::End);
  QTextCharFormat format;
  if (sent) format.setForeground(kSentColour);
  end.insertText(QString::fromStdString(text), format);
  if (atEnd) scroll->setValue(scroll->maximum());
}

void ConsolePage::ShowCounts(int language) {
  counts->setText(WordText(Word::ConsoleCounts, language,
                           {QString::number(last.toRemote), QString::number(last.fromRemote)}));
}

void ConsolePage::ApplyCaptions(int language, bool running) {
  button->setText(WordText(running ? Word::ConsoleStop : Word::ConsoleStart, language));
  mode->setItemText(kTextEntry, WordText(Word::ConsoleModeText, language));
  mode->setItemText(kHexEntry, WordText(Word::ConsoleModeHex, language));
  lineEnd->setItemText(0, WordText(Word::ConsoleNoLineEnd, language));
  lineEnd->setToolTip(WordText(Word::ConsoleLineEnd, language));
  lineEnd->setAccessibleName(WordText(Word::ConsoleLineEnd, language));
  view->setAccessibleName(WordText(Word::ConsoleView, language));
  send->setText(WordText(Word::ConsoleSend, language));
  ShowCounts(language);
}

void ConsolePage::SetRunning(bool running) {
  // Lines go out only while the console runs, and none are taken once it is asked to stop.
  line->setEnabled(running && !stopping);
  send->setEnabled(running && !stopping);
}

void TRukMoxFormLight::BuildConsolePage() {
  console_ = std::make_unique<ConsolePage>(devices_->PageLink);
  console_->SetRunning(false);
  connect(console_->button, &QPushButton::clicked, this, &TRukMoxFormLight::ButtonConsoleClick);
  connect(console_->send, &QPushButton::clicked, this, &TRukMoxFormLight::ButtonConsoleSendClick);
  connect(console_->line, &QLineEdit::returnPressed, this,
          &TRukMoxFormLight::ButtonConsoleSendClick);
  connect(console_->pump, &QTimer::timeout, this, &TRukMoxFormLight::ConsoleStep);
}

bool TRukMoxFormLight::ConsoleRunning() const {
  return console_ && console_->bridge != nullptr;
}

BridgeCounts TRukMoxFormLight::ConsoleCounts() const {
  return ConsoleRunning() ? console_->bridge->Counts() : console_->last;
}

void TRukMoxFormLight::ButtonConsoleClick() {
  if (ConsoleRunning()) {
    // What the operator already sent still goes out; then the console stops.
    console_->stopping = true;
    console_->SetRunning(true);
    if (console_->bridge->Unsent() == 0) StopConsole();
    return;
  }
  if (LongOperationRunning() || pauses_ > 0 || !Device) return;
  // Data frames go only to a linked remote; without one every line would be refused.
  if (!Device->IsOpen() || !LinkedRemote()) {
    messages_.Error(WordText(Word::NoRemoteConnected, Language));
    return;
  }
  TimerUpdate->stop();
  console_->bridge = std::make_unique<DataBridge>(*Device);
  console_->stopping = false;
  console_->last = BridgeCounts{};
  consoleLock_ = std::make_unique<LongOperation>(*this);
  console_->ApplyCaptions(Language, true);
  console_->SetRunning(true);
  console_->line->setFocus();
  console_->pump->start(0);
}

void TRukMoxFormLight::ButtonConsoleSendClick() {
  if (!ConsoleRunning() || console_->stopping) return;
  const QByteArray typed = console_->line->text().toUtf8();
  const auto bytes =
      LineToSend(std::string_view(typed.constData(), static_cast<std::size_t>(typed.size())),
                 console_->Mode(), console_->LineEnd());
  if (!bytes) {
    // The line stays, for the operator to mend.
    messages_.Error(WordText(Word::ConsoleBadHex, Language));
    return;
  }
  if (bytes->empty()) return;
  // A line goes out whole or not at all.
  if (bytes->size() > console_->bridge->Room()) {
    messages_.Error(WordText(Word::ConsoleStillSending, Language));
    return;
  }
  console_->bridge->Queue(*bytes);
  console_->ShowSent(*bytes);
  console_->line->clear();
  console_->pump->start(0);  // its first frame goes now when the pace allows
}

void TRukMoxFormLight::ConsoleStep() {
  if (!ConsoleRunning()) return;
  DataBridge& bridge = *console_->bridge;
  std::vector<std::uint8_t> received;
  BridgeState state = BridgeState::Running;
  {
    const Pause pause(*this);
    state = bridge.Pump(received);
  }
  if (!received.empty()) console_->ShowReceived(received);
  console_->last = bridge.Counts();
  console_->ShowCounts(Language);
  const std::uint64_t fromRemote = bridge.Counts().fromRemote;

  if (state == BridgeState::SendFailed) {
    StopConsole();
    messages_.Error(WordText(Word::ConsoleSendFailed, Language));
  } else if (state == BridgeState::DongleGone || (console_->stopping && bridge.Unsent() == 0)) {
    // A vanished dongle ends the console as it ends the range test: the lock's release shows it.
    StopConsole();
  } else {
    const auto wait = std::min<DataBridge::Clock::duration>(kStep, bridge.UntilNextFrame());
    console_->pump->start(std::chrono::ceil<std::chrono::milliseconds>(wait));
  }
  if (!received.empty()) emit ConsoleReceived(fromRemote);
}

void TRukMoxFormLight::StopConsole() {
  console_->pump->stop();
  console_->last = console_->bridge->Counts();
  console_->bridge.reset();  // gives the module its own purge before writes back
  console_->stopping = false;
  console_->ApplyCaptions(Language, false);
  console_->SetRunning(false);
  if (Device) TimerUpdate->start();
  consoleLock_.reset();  // last: the unlock may close a window whose close waited for the console
}

}  // namespace rukmox::window
