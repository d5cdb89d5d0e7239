#pragma once

// The user's settings of the program, kept between runs: ~/.config/Mensuro/Mensuro.conf on
// Linux, the registry on Windows.

#include <QSettings>

namespace mensuro {

// In the default format, which is the native one unless the program chose another: the tests
// choose files in a folder of their own, so that test programs running side by side on Windows
// don't share the registry.
class UserSettings : public QSettings {
 public:
  UserSettings()
      : QSettings(QSettings::defaultFormat(), QSettings::UserScope, QStringLiteral("Mensuro"),
                  QStringLiteral("Mensuro")) {}
};

}  // namespace mensuro
