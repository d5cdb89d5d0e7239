#pragma once

// Issuing a certificate into the register from the command line: what the command line asks
// for, and the register's issue (IssueCertificateFile) with the command line's messages and exit
// codes.

#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/document_drawing.h"
#include "core/certificate/certificate_details.h"
#include "core/processing/identity_check.h"
#include "core/processing/processed_calibration.h"
#include "json/certificate_details_json.h"
#include "register/calibration_issue.h"
#include "register/calibration_register.h"

namespace mensuro::cli {

struct IssueOrder {
  std::string location;  // the register: an SQLite file or a postgresql:// URI
  std::string headLog;   // a PostgreSQL register's head log; empty: MENSURO_HEAD_LOG
  // The settings for a register that holds none yet, from the laboratory's settings file.
  std::optional<RegisterSettings> seed;
  CertificateDetails details;    // what the certificate says beyond the calibration
  std::string replaces;          // the certificate this one corrects; empty: none
  std::string replaceReason;     // why
  bool otherInstrument = false;  // the replaced one names another instrument
  std::string certificateFile;   // where the numbered certificate goes
  std::string settingsFile;      // the laboratory's settings file read; empty: none
};

// The message of an issue refused for what the identity lacks: each part with the option that
// gives it.
std::string MissingIdentityMessage(const std::vector<IdentityPart>& missing);

// The issue `line` asks for, with the certificate's `details`: the laboratory's settings (its
// lines under the details' own, and the numbers' prefix) from --laboratory-settings, else from
// the settings file beside an SQLite register when there is one, to seed a register without
// settings. Nothing, with the problem, when the settings file doesn't read, or a PostgreSQL
// register has no head log named.
std::optional<IssueOrder> IssueOrderOf(const CommandLine& line, const CertificateDetails& details,
                                       std::string& problem);

// The same of a certificate that replaces none, into the register at `location` with the head
// log `headLog`, the laboratory's settings from `laboratorySettingsFile`, written to
// `certificateFile`.
std::optional<IssueOrder> IssueOrderOf(const std::string& location, const std::string& headLog,
                                       const std::string& laboratorySettingsFile,
                                       const std::string& certificateFile,
                                       const CertificateDetails& details, std::string& problem);

// Issues the certificate of `calibration` as `order` says, the PDF drawn by `documents`, the
// result kept with the members of `input` (what reading noticed). The register's settings give
// the prefix and the laboratory's lines (under the details' own); a seed that differs from
// settings the register holds is refused. Returns the exit code, having said on standard error
// which number was issued and the register's new head (the head log's line), or why nothing
// was: 3 when the register failed or refused.
int IssueFromCommandLine(const IssueOrder& order, const ProcessedCalibration& calibration,
                         const nlohmann::json& input, const DocumentModule& documents);

// Issues as `order` says the certificate that `issue` issues into the register opened, with the
// order's details over the register's laboratory lines, and says so as IssueFromCommandLine
// does. Returns the exit code; `number` is the number issued.
int IssueWithOrder(const IssueOrder& order,
                   const std::function<IssuedCertificate(CalibrationRegister& reg,
                                                         const IssueOrder& withRegister)>& issue,
                   std::string& number);

}  // namespace mensuro::cli
