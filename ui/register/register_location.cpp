#include "ui/register/register_location.h"

#include <QDir>
#include <QStandardPaths>
#include <exception>
#include <filesystem>
#include <system_error>
#include <utility>

#include "register/database.h"
#include "ui/common/control_text.h"
#include "ui/common/user_settings.h"

namespace mensuro {
namespace {

const QString kLocationKey = QStringLiteral("Register/location");

}  // namespace

QString RegisterLocation() {
  const QString chosen = UserSettings().value(kLocationKey).toString();
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
  UserSettings().setValue(kLocationKey, location);
}

QString RegisterSession::Open(const QString& location) {
  const std::string name = location.toStdString();
  if (!IsPostgresLocation(name)) {
    // SQLite makes the file on first use, but not the folders above it.
    std::error_code ignored;
    std::filesystem::create_directories(PathFromText(location).parent_path(), ignored);
  }
  try {
    CalibrationRegister opened = CalibrationRegister::Open(name);
    register_.emplace(std::move(opened));
  } catch (const std::exception& error) {
    return QString::fromStdString(error.what());
  }
  location_ = location;
  return {};
}

}  // namespace mensuro
