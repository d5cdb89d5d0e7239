#pragma once

// The register the main window and its register window share: the one open, opening another,
// and issuing into it. Both windows observe it: whatever changes the register (another opened,
// a certificate issued) is signalled, so neither window reaches into the other.

#include <QObject>
#include <QString>
#include <optional>
#include <vector>

#include "register/calibration_register.h"
#include "ui/register/certificate_issue.h"

namespace mensuro {

class RegisterSession : public QObject {
  Q_OBJECT

 public:
  explicit RegisterSession(QObject* parent = nullptr) : QObject(parent) {}

  // Opens (creating on first use) the register at `location`, in place of the one open. Returns
  // why it can't be opened, the open one then staying; empty when opened.
  QString Open(const QString& location);

  bool IsOpen() const { return register_.has_value(); }
  // The open register; nothing before one is opened.
  CalibrationRegister* Register() { return register_ ? &*register_ : nullptr; }
  // Where the open register is; empty before one is opened.
  const QString& Location() const { return location_; }
  // The open PostgreSQL register's head log; empty for an SQLite register (its own is beside it).
  const std::string& HeadLog() const { return headLog_; }

  // The open register's equipment, to choose a calibration's from; nothing when no register is
  // open, or, with why in `problem`, when it can't be read.
  std::optional<std::vector<EquipmentItem>> Equipment(QString& problem);

  // The details a certificate issued into the open register carries: the register's laboratory
  // lines under `details`' own. A register without settings first takes them from the
  // laboratory's settings file beside it (SQLite), as the command line does. Nothing, with the
  // message to show, when that file doesn't read or differs from the settings the register
  // holds.
  std::optional<CertificateDetails> DetailsToIssue(const CertificateDetails& details,
                                                   QString& problem);

  // Issues `calibration` under `details` into the open register and writes its PDF (from
  // `pdfOf`) to `file`, as IssueFromWindow does. Signals the change when a number was issued.
  IssuedCertificate Issue(const ProcessedCalibration& calibration,
                          const CertificateDetails& details, const std::string& programVersion,
                          const CertificateRenderer& pdfOf, const std::filesystem::path& file);
  // Issues the certificate of a baseline's `calibration` into the open register and writes its
  // PDF to `file`, as IssueBaselineFromWindow does. Signals the change when a number was issued.
  IssuedCertificate IssueBaseline(const BaselineCalibration& calibration,
                                  const BaselineIssueInputs& inputs,
                                  const CertificateRenderer& pdfOf,
                                  const std::filesystem::path& file);

 signals:
  // Another register was opened, or the open one holds a new certificate.
  void Changed();

 private:
  std::optional<CalibrationRegister> register_;
  QString location_;
  std::string headLog_;
};

}  // namespace mensuro
