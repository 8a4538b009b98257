#include "FirmwareFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

namespace rukmox::window {
namespace {

const QString kFirmware = QStringLiteral("Firmware");
// Not translated: the dialog's title is the same in both languages.
const QString kDialogTitle = QStringLiteral("Seleziona file di programmazione criptato");

}  // namespace

FirmwarePlaces ProgramFirmwarePlaces() {
  return {QCoreApplication::applicationDirPath(),
          // Not AppDataLocation: that one would move under an organisation name if one were set.
          QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
              .filePath(QStringLiteral("rukmox")),
          QStringLiteral(RUKMOX_SHARED_DATA_DIR), QDir::homePath()};
}

QString FirmwareStartFolder(const FirmwarePlaces& places) {
  for (const QString& base : {places.besideExecutable, places.userData, places.installed}) {
    if (base.isEmpty()) continue;
    const QString folder = QDir(base).filePath(kFirmware);
    if (QFileInfo(folder).isDir()) return folder;
  }
  return places.home;
}

std::optional<QString> AskForProgrammingFile(QWidget* parent, const QString& folder,
                                             const QStringList& filters) {
  QFileDialog dialog(parent, kDialogTitle, folder);
  dialog.setObjectName(QStringLiteral("DialogProgrammingFile"));
  dialog.setNameFilters(filters);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return QFileInfo(dialog.selectedFiles().front()).absoluteFilePath();
}

}  // namespace rukmox::window
