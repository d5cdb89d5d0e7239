#include "ui/register/register_session.h"

#include <exception>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

#include "core/data/file_names.h"
#include "json/certificate_details_json.h"
#include "register/calibration_issue.h"
#include "register/database.h"
#include "register/head_log.h"
#include "ui/common/control_text.h"
#include "ui/common/settings.h"

namespace mensuro {

QString RegisterSession::Open(const QString& location) {
  const std::string name = location.toStdString();
  if (!IsPostgresLocation(name)) {
    // SQLite makes the file on first use, but not the folders above it.
    std::error_code ignored;
    std::filesystem::create_directories(PathFromText(location).parent_path(), ignored);
  }
  try {
    // A PostgreSQL register's head log: the environment's, else the one chosen in the settings.
    const std::string headLog =
        IsPostgresLocation(name)
            ? Utf8FromPath(HeadLogPath(name, {}, settings::RegisterHeadLog().toStdString()))
            : std::string();
    CalibrationRegister opened = CalibrationRegister::Open(name, headLog);
    register_.emplace(std::move(opened));
    headLog_ = headLog;
  } catch (const std::exception& error) {
    return QString::fromStdString(error.what());
  }
  location_ = location;
  emit Changed();
  return {};
}

std::optional<std::vector<EquipmentItem>> RegisterSession::Equipment(QString& problem) {
  if (!register_) {
    return std::nullopt;
  }
  try {
    return register_->ListEquipment();
  } catch (const std::exception& error) {
    problem = QStringLiteral("Could not read the register ") + location_ + QStringLiteral(": ") +
              QString::fromStdString(error.what());
    return std::nullopt;
  }
}

std::optional<CertificateDetails> RegisterSession::DetailsToIssue(const CertificateDetails& details,
                                                                  QString& problem) {
  if (!register_) {
    problem = QStringLiteral("No register is open.");
    return std::nullopt;
  }
  try {
    if (const std::filesystem::path beside = LaboratorySettingsBeside(location_.toStdString());
        !beside.empty()) {
      std::string reason;
      const std::optional<LaboratorySettings> file = ReadLaboratorySettings(beside, reason);
      if (!file) {
        problem = QString::fromStdString("The certificate was not issued: " + reason);
        return std::nullopt;
      }
      register_->AdoptSettings(SettingsOfFile(*file));
    }
    return WithRegisterLaboratory(*register_, details);
  } catch (const std::exception& error) {
    problem =
        QString::fromStdString(std::string("The certificate was not issued: ") + error.what());
    return std::nullopt;
  }
}

IssuedCertificate RegisterSession::Issue(const ProcessedCalibration& calibration,
                                         const CertificateDetails& details,
                                         const std::string& programVersion,
                                         const CertificateRenderer& pdfOf,
                                         const std::filesystem::path& file) {
  if (!register_) {
    return {.number = {}, .failure = "No register is open.", .registerFault = false, .missing = {}};
  }
  IssuedCertificate issued =
      IssueFromWindow(*register_, calibration, details, programVersion, pdfOf, file);
  if (!issued.number.empty()) {
    emit Changed();
  }
  return issued;
}

IssuedCertificate RegisterSession::IssueBaseline(const BaselineCalibration& calibration,
                                                 const BaselineIssueInputs& inputs,
                                                 const CertificateRenderer& pdfOf,
                                                 const std::filesystem::path& file) {
  if (!register_) {
    return {.number = {}, .failure = "No register is open.", .registerFault = false, .missing = {}};
  }
  IssuedCertificate issued = IssueBaselineFromWindow(*register_, calibration, inputs, pdfOf, file);
  if (!issued.number.empty()) {
    emit Changed();
  }
  return issued;
}

}  // namespace mensuro
