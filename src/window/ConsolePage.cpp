#include "ConsolePage.h"

#include <QFileDialog>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextCursor>
#include <QTime>
#include <algorithm>
#include <array>
#include <chrono>
#include <vector>

#include "Captions.h"
#include "PropertySteps.h"
#include "Remembered.h"
#include "WindowWords.h"
#include "ui_ConsolePage.h"

namespace rukmox::window {
namespace {

// How long what the remote host sends may wait before it is shown.
constexpr auto kStep = std::chrono::milliseconds(10);
const QColor kSentColour = Qt::darkBlue;

// The line-end list's entries, in order; the first is named in the current language.
constexpr std::array<std::string_view, 4> kLineEnds = {"", "\r", "\n", "\r\n"};
// The mode list's entries.
constexpr int kTextEntry = 0;
constexpr int kHexEntry = 1;

constexpr std::array<Caption, 8> kCaptions = {{
    {"TabConsole", extra::ConsoleTab},
    {"ButtonConsoleSend", extra::ConsoleSend},
    {"ButtonConsoleClear", extra::ConsoleClear},
    {"ButtonConsoleSave", extra::ConsoleSave},
    {"CheckConsoleTimestamps", extra::ConsoleTimestamps},
    {"ComboConsoleLineEnd", extra::ConsoleLineEnd, Caption::Role::ToolTip},
    {"ComboConsoleLineEnd", extra::ConsoleLineEnd, Caption::Role::AccessibleName},
    {"ViewConsole", extra::ConsoleView, Caption::Role::AccessibleName},
}};

}  // namespace

// The console as an operation of the session: each step sends the next data frame when one is
// due and shows what came back.
class ConsolePage::Run : public workflow::Operation {
 public:
  Run(ConsolePage& page, TRukMox& device) : page_(page), bridge_(device) {}

  DataBridge& Bridge() { return bridge_; }
  bool Stopping() const { return stopping_; }

  std::optional<Wait> Step() override {
    std::vector<std::uint8_t> received;
    const BridgeState state = bridge_.Pump(received);
    if (!received.empty()) page_.ShowReceived(received);
    page_.last_ = bridge_.Counts();
    page_.ShowCounts();
    const std::uint64_t fromRemote = bridge_.Counts().fromRemote;

    std::optional<Wait> next;
    if (state == BridgeState::SendFailed) {
      page_.Ended(bridge_.Counts());
      page_.context_.Error(page_.context_.Word(extra::ConsoleSendFailed));
    } else if (state == BridgeState::DongleGone || (stopping_ && bridge_.Unsent() == 0)) {
      // A vanished dongle ends the console as it ends the range test: the session says so.
      page_.Ended(bridge_.Counts());
    } else {
      next = std::chrono::ceil<Wait>(
          std::min<DataBridge::Clock::duration>(kStep, bridge_.UntilNextFrame()));
    }
    if (!received.empty()) emit page_.Received(fromRemote);
    return next;
  }

  // What the operator already sent still goes out; then the console ends.
  void Stop() override {
    stopping_ = true;
    page_.SetLineLive(false);
  }

 private:
  ConsolePage& page_;
  DataBridge bridge_;  // gives the module its own purge before writes back when it goes
  bool stopping_ = false;
};

ConsolePage::ConsolePage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context), form_(std::make_unique<Ui::ConsolePage>()) {
  form_->setupUi(this);
  form_->ViewConsole->setMaximumBlockCount(kViewLines);
  form_->ViewConsole->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  form_->EditConsoleLine->setMaxLength(kLineLimit);
  // A line end belongs to text lines only.
  connect(
      form_->ComboConsoleMode, &QComboBox::currentIndexChanged, form_->ComboConsoleLineEnd,
      [ends = form_->ComboConsoleLineEnd](int entry) { ends->setEnabled(entry == kTextEntry); });
  connect(form_->ButtonConsole, &QPushButton::clicked, this, &ConsolePage::StartOrStop);
  connect(form_->ButtonConsoleSend, &QPushButton::clicked, this, &ConsolePage::Send);
  connect(form_->EditConsoleLine, &QLineEdit::returnPressed, this, &ConsolePage::Send);
  connect(form_->ButtonConsoleClear, &QPushButton::clicked, this, &ConsolePage::ClearView);
  connect(form_->ButtonConsoleSave, &QPushButton::clicked, this, &ConsolePage::Save);
  form_->EditConsoleLine->installEventFilter(this);
  context_.Lock().Add({form_->ButtonConsole});
  SetLineLive(false);
}

ConsolePage::~ConsolePage() = default;

bool ConsolePage::Running() const {
  return run_ != nullptr;
}

BridgeCounts ConsolePage::Counts() const {
  return run_ != nullptr ? run_->Bridge().Counts() : last_;
}

QWidget* ConsolePage::StopControl() const {
  return form_->ButtonConsole;
}

ConsoleMode ConsolePage::Mode() const {
  return form_->ComboConsoleMode->currentIndex() == kHexEntry ? ConsoleMode::Hex
                                                              : ConsoleMode::Text;
}

std::string_view ConsolePage::LineEnd() const {
  const int entry = form_->ComboConsoleLineEnd->currentIndex();
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
  QPlainTextEdit* view = form_->ViewConsole;
  QScrollBar* scroll = view->verticalScrollBar();
  // Follow the newest lines unless the operator scrolled back to read.
  const bool atEnd = scroll->value() == scroll->maximum();
  QTextCursor end(view->document());
  end.movePosition(QTextCursor::End);
  QTextCharFormat format;
  if (sent) format.setForeground(kSentColour);
  // The stamps follow the option as each line starts; the lines before keep theirs.
  const std::string stamp =
      form_->CheckConsoleTimestamps->isChecked()
          ? QTime::currentTime().toString(QStringLiteral("[HH:mm:ss] ")).toStdString()
          : std::string();
  end.insertText(QString::fromStdString(stamper_.Stamp(text, stamp)), format);
  if (atEnd) scroll->setValue(scroll->maximum());
}

void ConsolePage::ShowCounts() {
  form_->LabelConsoleCounts->setText(context_.Word(
      extra::ConsoleCounts, {QString::number(last_.toRemote), QString::number(last_.fromRemote)}));
}

void ConsolePage::ApplyCaptions(int language) {
  rukmox::window::ApplyCaptions(*this, kCaptions, language);
  form_->ButtonConsole->setText(
      WordText(Running() ? extra::ConsoleStop : extra::ConsoleStart, language));
  form_->ComboConsoleMode->setItemText(kTextEntry, WordText(extra::ConsoleModeText, language));
  form_->ComboConsoleMode->setItemText(kHexEntry, WordText(extra::ConsoleModeHex, language));
  form_->ComboConsoleLineEnd->setItemText(0, WordText(extra::ConsoleNoLineEnd, language));
  form_->LabelConsoleCounts->setText(
      WordText(extra::ConsoleCounts, language,
               {QString::number(last_.toRemote), QString::number(last_.fromRemote)}));
}

void ConsolePage::SetLineLive(bool live) {
  form_->EditConsoleLine->setEnabled(live);
  form_->ButtonConsoleSend->setEnabled(live);
}

void ConsolePage::StartOrStop() {
  workflow::DeviceSession& session = context_.Session();
  if (Running()) {
    // What the operator already sent still goes out; with nothing left it ends at once.
    session.StopNow();
    return;
  }
  if (!session.CanStart()) return;
  TRukMox* module = context_.Module();
  // Data frames go only to a linked remote; without one every line would be refused.
  if (!module->IsOpen() || !HasLinkedRemote(*module)) {
    context_.Error(context_.Word(extra::NoRemoteConnected));
    return;
  }
  last_ = BridgeCounts{};
  auto run = std::make_unique<Run>(*this, *module);
  Run* started = run.get();
  if (!session.Start(workflow::OperationKind::Console, std::move(run))) return;
  run_ = started;
  ApplyCaptions(context_.Language());
  SetLineLive(true);
  form_->EditConsoleLine->setFocus();
}

void ConsolePage::Send() {
  if (!Running() || run_->Stopping()) return;
  const QByteArray typed = form_->EditConsoleLine->text().toUtf8();
  const auto bytes =
      LineToSend(std::string_view(typed.constData(), static_cast<std::size_t>(typed.size())),
                 Mode(), LineEnd());
  if (!bytes) {
    // The line stays, for the operator to mend.
    context_.Error(context_.Word(extra::ConsoleBadHex));
    return;
  }
  if (bytes->empty()) return;
  DataBridge& bridge = run_->Bridge();
  // A line goes out whole or not at all.
  if (bytes->size() > bridge.Room()) {
    context_.Error(context_.Word(extra::ConsoleStillSending));
    return;
  }
  bridge.Queue(*bytes);
  ShowSent(*bytes);
  recall_.Add(typed.toStdString());
  form_->EditConsoleLine->clear();
  context_.Session().StepSoon();  // its first frame goes now when the pace allows
}

void ConsolePage::Remember(Remembered& remembered) {
  QComboBox* mode = form_->ComboConsoleMode;
  QComboBox* end = form_->ComboConsoleLineEnd;
  if (auto entry = remembered.ConsoleMode(); entry && *entry < mode->count())
    mode->setCurrentIndex(*entry);
  if (auto entry = remembered.ConsoleLineEnd(); entry && *entry < end->count())
    end->setCurrentIndex(*entry);
  connect(mode, &QComboBox::currentIndexChanged, this,
          [&remembered](int entry) { remembered.SetConsoleMode(entry); });
  connect(end, &QComboBox::currentIndexChanged, this,
          [&remembered](int entry) { remembered.SetConsoleLineEnd(entry); });
}

void ConsolePage::ClearView() {
  form_->ViewConsole->clear();
  stamper_ = LineStamper{};
}

void ConsolePage::Save() {
  const QString path =
      QFileDialog::getSaveFileName(window(), WindowTitle(), QStringLiteral("rukmox-console.txt"),
                                   QStringLiteral("Text (*.txt)"));
  if (!path.isEmpty()) SaveText(path);
}

bool ConsolePage::SaveText(const QString& path) {
  return context_.WriteText(path, form_->ViewConsole->toPlainText() + '\n',
                            extra::ConsoleUnwritable);
}

bool ConsolePage::eventFilter(QObject* watched, QEvent* event) {
  if (watched != form_->EditConsoleLine || event->type() != QEvent::KeyPress)
    return QWidget::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  if (key != Qt::Key_Up && key != Qt::Key_Down) return false;
  QLineEdit* edit = form_->EditConsoleLine;
  const auto line = key == Qt::Key_Up ? recall_.Up(edit->text().toStdString()) : recall_.Down();
  if (line) edit->setText(QString::fromStdString(*line));
  return true;
}

void ConsolePage::Ended(const BridgeCounts& counts) {
  run_ = nullptr;
  last_ = counts;
  ApplyCaptions(context_.Language());
  SetLineLive(false);
}

}  // namespace rukmox::window
