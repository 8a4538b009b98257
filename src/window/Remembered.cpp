#include "Remembered.h"

#include <QSettings>

namespace rukmox::window {
namespace {

const QString kDongle = QStringLiteral("dongle/path");
const QString kFirmwareFolder = QStringLiteral("programming/folder");
const QString kToolsGeometry = QStringLiteral("tools/geometry");
const QString kToolsTab = QStringLiteral("tools/tab");
const QString kConsoleMode = QStringLiteral("console/mode");
const QString kConsoleLineEnd = QStringLiteral("console/lineEnd");

}  // namespace

Remembered::Remembered()
    : store_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                         QStringLiteral("rukmox"), QStringLiteral("rukmox"))) {}

Remembered::Remembered(const QString& path)
    : store_(std::make_unique<QSettings>(path, QSettings::IniFormat)) {}

Remembered::~Remembered() {
  store_->sync();
}

std::optional<QString> Remembered::Dongle() const {
  const QString path = store_->value(kDongle).toString();
  return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
}

void Remembered::SetDongle(const QString& path) {
  store_->setValue(kDongle, path);
}

QString Remembered::FirmwareFolder() const {
  return store_->value(kFirmwareFolder).toString();
}

void Remembered::SetFirmwareFolder(const QString& folder) {
  store_->setValue(kFirmwareFolder, folder);
}

QByteArray Remembered::ToolsGeometry() const {
  return store_->value(kToolsGeometry).toByteArray();
}

void Remembered::SetToolsGeometry(const QByteArray& geometry) {
  store_->setValue(kToolsGeometry, geometry);
}

QString Remembered::ToolsTab() const {
  return store_->value(kToolsTab).toString();
}

void Remembered::SetToolsTab(const QString& tab) {
  store_->setValue(kToolsTab, tab);
}

std::optional<int> Remembered::Entry(const QString& key) const {
  bool number = false;
  const int entry = store_->value(key).toInt(&number);
  return number && entry >= 0 ? std::optional<int>(entry) : std::nullopt;
}

std::optional<int> Remembered::ConsoleMode() const {
  return Entry(kConsoleMode);
}

void Remembered::SetConsoleMode(int entry) {
  store_->setValue(kConsoleMode, entry);
}

std::optional<int> Remembered::ConsoleLineEnd() const {
  return Entry(kConsoleLineEnd);
}

void Remembered::SetConsoleLineEnd(int entry) {
  store_->setValue(kConsoleLineEnd, entry);
}

void Remembered::Sync() {
  store_->sync();
}

}  // namespace rukmox::window
