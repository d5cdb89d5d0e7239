#pragma once

// Issuing a certificate from the window: the register's issue (IssueCertificateFile), what
// reading noticed counted in the lines of the texts the window shows, with the window's
// messages.

#include <filesystem>
#include <string>

#include "core/certificate/certificate_details.h"
#include "core/processing/processed_calibration.h"
#include "register/baseline_issue.h"
#include "register/calibration_issue.h"

namespace mensuro {

// Issues `calibration` under `details` in `reg` (the PDF from `pdfOf`, stored with the record in
// one transaction), then writes that PDF to `file`. The number issued, if any, and the message to
// show when something failed.
IssuedCertificate IssueFromWindow(CalibrationRegister& reg, const ProcessedCalibration& calibration,
                                  const CertificateDetails& details,
                                  const std::string& programVersion,
                                  const CertificateRenderer& pdfOf,
                                  const std::filesystem::path& file);

// Issues the certificate of a baseline's `calibration` in `reg` as IssueBaselineCertificateFile
// does, then writes its PDF to `file`, with the window's messages.
IssuedCertificate IssueBaselineFromWindow(CalibrationRegister& reg,
                                          const BaselineCalibration& calibration,
                                          const BaselineIssueInputs& inputs,
                                          const CertificateRenderer& pdfOf,
                                          const std::filesystem::path& file);

}  // namespace mensuro
