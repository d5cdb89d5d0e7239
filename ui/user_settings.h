#pragma once

// The user's settings of the program, kept between runs: ~/.config/Mensuro/Mensuro.conf on
// Linux, the registry on Windows.

#include <QSettings>

namespace mensuro {

class UserSettings : public QSettings {
 public:
  UserSettings() : QSettings(QStringLiteral("Mensuro"), QStringLiteral("Mensuro")) {}
};

}  // namespace mensuro
