#pragma once

// Issuing a certificate into the register from the command line: what the command line asks
// for, and the register's issue (IssueCertificateFile) with the command line's messages and exit
// codes.

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "cli/command_line.h"
#include "cli/document_drawing.h"
#include "core/certificate/certificate_details.h"
#include "core/processing/processed_calibration.h"
#include "register/calibration_register.h"

namespace mensuro::cli {

struct IssueOrder {
  std::string location;         // the register: an SQLite file or a postgresql:// URI
  std::string headLog;          // a PostgreSQL register's head log; empty: MENSURO_HEAD_LOG
  RegisterSettings settings;    // the certificate numbers' prefix
  CertificateDetails details;   // what the certificate says beyond the calibration
  std::string replaces;         // the certificate this one corrects; empty: none
  std::string certificateFile;  // where the numbered certificate goes
  std::string settingsFile;     // the laboratory's settings file read; empty: none
};

// The file name of a laboratory's settings, looked for beside an SQLite register.
inline constexpr const char* kLaboratorySettingsName = "mensuro-laboratory.json";

// The issue `line` asks for, with the certificate's `details`: the laboratory's settings (its
// lines under the details' own, and the numbers' prefix) from --laboratory-settings, else from
// the settings file beside an SQLite register when there is one. Nothing, with the problem, when
// the settings file doesn't read, or a PostgreSQL register has no head log named.
std::optional<IssueOrder> IssueOrderOf(const CommandLine& line, const CertificateDetails& details,
                                       std::string& problem);

// Issues the certificate of `calibration` as `order` says, the PDF drawn by `documents`, the
// result kept with the members of `input` (what reading noticed). Returns the exit code, having
// said on standard error which number was issued and the register's new head (the head log's
// line), or why nothing was: 3 when the register failed or refused.
int IssueFromCommandLine(const IssueOrder& order, const ProcessedCalibration& calibration,
                         const nlohmann::json& input, const DocumentModule& documents);

}  // namespace mensuro::cli
