// Where the dialog for a programming file starts, and the dialog itself.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace rukmox::window {

// The places a "Firmware" folder is looked for, in the order they are tried.
struct FirmwarePlaces {
  QString besideExecutable;  // the folder of the program's executable
  QString userData;          // the user's data folder for the program
  QString installed;         // the installed program's shared data
  QString home;              // the user's home folder, the last resort
};

// The places of this program on this machine.
FirmwarePlaces ProgramFirmwarePlaces();

// The first "Firmware" folder that exists, or the home folder when none does.
QString FirmwareStartFolder(const FirmwarePlaces& places);

// Asks the operator for an existing file, starting in `folder`, offering `filters` (the first
// chosen); nothing when cancelled.
std::optional<QString> AskForProgrammingFile(QWidget* parent, const QString& folder,
                                             const QStringList& filters);

}  // namespace rukmox::window
