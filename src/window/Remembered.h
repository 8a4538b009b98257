// What the window keeps between runs, in the user's settings: the dongle chosen last, the folder
// of the last programming file, where the tools window was and its tab, and the console's mode
// and line end. The language and service mode are not kept: every run starts in Italian, as an
// operator's window always has. The program hands in the settings store; tests give one in a
// folder of their own.
#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

class QSettings;

namespace rukmox::window {

class Remembered {
 public:
  // The user's own settings of the program.
  Remembered();
  // The settings in the file at `path` (tests).
  explicit Remembered(const QString& path);
  ~Remembered();

  std::optional<QString> Dongle() const;
  void SetDongle(const QString& path);

  QString FirmwareFolder() const;
  void SetFirmwareFolder(const QString& folder);

  QByteArray ToolsGeometry() const;
  void SetToolsGeometry(const QByteArray& geometry);
  QString ToolsTab() const;
  void SetToolsTab(const QString& tab);

  std::optional<int> ConsoleMode() const;
  void SetConsoleMode(int entry);
  std::optional<int> ConsoleLineEnd() const;
  void SetConsoleLineEnd(int entry);

  // Writes what was changed to the store now.
  void Sync();

 private:
  std::optional<int> Entry(const QString& key) const;

  std::unique_ptr<QSettings> store_;
};

}  // namespace rukmox::window
