#pragma once

// Issuing a baseline's certificate: the register's record of its own kind, stored with the
// certificate's PDF in one transaction, and the PDF written to its file only after the record is
// committed, as an instrument's certificate is issued.

#include <filesystem>
#include <string>
#include <vector>

#include "core/baseline/baseline_calibration.h"
#include "core/certificate/certificate_details.h"
#include "register/calibration_issue.h"
#include "register/calibration_register.h"

namespace mensuro {

// What a baseline's certificate is issued with, besides its calibration.
struct BaselineIssueInputs {
  CertificateDetails details;  // the client is the baseline's owner; the instrument the reference
  std::string baselineName;
  std::string programVersion;
  std::string measuredText;  // the survey exactly as adjusted
  // The pillar order asked for (empty: inferred) and the exclusions asked for, with reasons.
  std::vector<std::string> pillarOrder;
  // The survey's file, with its bytes; none when the text was not read from a file.
  std::vector<RecordFile> files;
};

// The record of issuing `calibration`: the details, the baseline's name, the survey's text and
// file, the reference scale and pillar order (conditions), the exclusions, the warnings accepted
// and the whole result as BaselineCalibrationJson gives it.
IssueRequest BaselineIssueRequestOf(const BaselineCalibration& calibration,
                                    const BaselineIssueInputs& inputs);

// Issues the certificate of `calibration` into `reg`, its PDF drawn by `renderPdf`, and writes
// that PDF to `file`, as IssueCertificateFile does an instrument's; nothing is issued when the
// identity lacks a part (MissingBaselineIdentity).
IssuedCertificate IssueBaselineCertificateFile(CalibrationRegister& reg,
                                               const BaselineCalibration& calibration,
                                               const BaselineIssueInputs& inputs,
                                               const CertificateRenderer& renderPdf,
                                               const std::filesystem::path& file);

}  // namespace mensuro
