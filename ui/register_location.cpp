#include "ui/register_location.h"

#include <QDir>
#include <QStandardPaths>
#include <exception>
#include <filesystem>
#include <system_error>
#include <utility>

#include "register/database.h"
#include "ui/control_text.h"
#include "ui/user_settings.h"

namespace mensuro {
namespace {

const QString kLocationKey = QStringLiteral("Register/location");

}  // namespace

QString RegisterLocation() {
  const QString chosen = UserSettings().value(kLocationKey).toString();
  if (!chosen.isEmpty()) {
    return chosen;
  }
  const QString fromEnvironment = qEnvironmentVariable(kRegisterEnvironmentVariable);
  if (!fromEnvironment.isEmpty()) {
    return fromEnvironment;
  }
  return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
      .filePath(QStringLiteral("register.sqlite"));
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
