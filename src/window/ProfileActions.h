// Configuration profiles: the settings of both devices saved to a file, or a file applied to the
// pair now connected after showing what would change, changing only that.
#pragma once

#include <QObject>
#include <QString>

#include "PageContext.h"
#include "PropertySteps.h"

namespace rukmox::window {

class ProfileActions : public QObject {
  Q_OBJECT

 public:
  explicit ProfileActions(PageContext& context, QObject* parent = nullptr);

  // Saves the settings of both devices (the dongle's alone with no remote linked); false, after
  // telling the operator, when the file cannot be written.
  bool Save(const QString& path);
  // Shows what the profile would change and, on the operator's yes, changes only that. False when
  // the file is rejected, the operator says no, or a change fails (the operator is told).
  bool Apply(const QString& path);

  // The menu's entries: ask for the file, then save or apply.
  void AskAndSave(QWidget* parent);
  void AskAndApply(QWidget* parent);

 signals:
  void ReadAgain(rukmox::ReRead devices);

 private:
  PageContext& context_;
};

}  // namespace rukmox::window
