#include "LogPage.h"

#include <QClipboard>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScrollBar>
#include <array>

#include "Captions.h"
#include "WindowWords.h"
#include "ui_LogPage.h"

namespace rukmox::window {
namespace {

constexpr std::array<Caption, 4> kCaptions = {{
    {"TabLog", extra::LogTab},
    {"ButtonLogCopy", extra::LogCopy},
    {"ButtonLogSave", extra::LogSave},
    {"ViewLog", extra::LogView, Caption::Role::AccessibleName},
}};

}  // namespace

LogPage::LogPage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context), form_(std::make_unique<Ui::LogPage>()) {
  form_->setupUi(this);
  form_->ViewLog->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  form_->ViewLog->setMaximumBlockCount(static_cast<int>(workflow::OperationsLog::kKeptLines));
  workflow::OperationsLog& log = context_.Session().Log();
  for (const std::string& line : log.Lines()) Append(line);
  log.SetListener([this](const std::string& line) { Append(line); });
  connect(form_->ButtonLogCopy, &QPushButton::clicked, this, &LogPage::Copy);
  connect(form_->ButtonLogSave, &QPushButton::clicked, this, &LogPage::Save);
}

LogPage::~LogPage() = default;

void LogPage::ApplyCaptions(int language) {
  rukmox::window::ApplyCaptions(*this, kCaptions, language);
}

void LogPage::Append(const std::string& line) {
  QScrollBar* scroll = form_->ViewLog->verticalScrollBar();
  // Follow the newest lines unless the operator scrolled back to read.
  const bool atEnd = scroll->value() == scroll->maximum();
  form_->ViewLog->appendPlainText(QString::fromStdString(line));
  if (atEnd) scroll->setValue(scroll->maximum());
}

QString LogPage::Text() const {
  return form_->ViewLog->toPlainText();
}

void LogPage::Copy() {
  QGuiApplication::clipboard()->setText(Text() + '\n');
}

void LogPage::Save() {
  const QString path = QFileDialog::getSaveFileName(
      window(), WindowTitle(), QStringLiteral("rukmox-operations.log"), QStringLiteral("*.log"));
  if (!path.isEmpty()) SaveText(path);
}

bool LogPage::SaveText(const QString& path) {
  return context_.WriteText(path, Text() + '\n', extra::LogUnwritable);
}

}  // namespace rukmox::window
