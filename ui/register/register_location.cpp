#include "ui/register/register_location.h"

#include <QDir>
#include <QStandardPaths>

#include "register/database.h"
#include "ui/common/settings.h"

namespace mensuro {

QString RegisterLocation() {
  const QString chosen = settings::RegisterLocation();
  if (!chosen.isEmpty()) {
    return chosen;
  }
  const QString fromEnvironment = qEnvironmentVariable(kRegisterEnvironment);
  if (!fromEnvironment.isEmpty()) {
    return fromEnvironment;
  }
  // The program's own folder of the user's data, named as its settings are, whatever the
  // executable is called: ~/.local/share/Mensuro, or AppData\Local\Mensuro on Windows.
  return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
      .filePath(QStringLiteral("Mensuro/register.sqlite"));
}

void RememberRegisterLocation(const QString& location) {
  settings::SetRegisterLocation(location);
}

}  // namespace mensuro
