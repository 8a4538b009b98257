// A group the window shows once for the dongle and once for the remote device (the property
// panel, the programming group) names its controls for its device, as the operator's tools and
// the tests know them: GroupPropertyDongle, EditNomeMcu, ButtonProgramDongle, ...
#pragma once

#include <QObject>
#include <QString>

namespace rukmox::window {

inline QString DeviceSuffix(bool remote) {
  return remote ? QStringLiteral("Mcu") : QStringLiteral("Dongle");
}

// Appends `suffix` to the names the group and its controls have from their form.
inline void NameForDevice(QObject& group, const QString& suffix) {
  for (QObject* child : group.findChildren<QObject*>())
    if (!child->objectName().isEmpty() && !child->objectName().startsWith(QLatin1String("qt_")))
      child->setObjectName(child->objectName() + suffix);
  group.setObjectName(group.objectName() + suffix);
}

}  // namespace rukmox::window
