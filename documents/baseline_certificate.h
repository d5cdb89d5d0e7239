#pragma once

// The PDF "Baseline Calibration Certificate": A4 pages, as the instrument's certificate, with the
// baseline and its owner, the reference instrument and its scale certificate, the method, the
// pillars, the certified distance of every pair with its uncertainty, the reference
// instrument's constant, the adjustment's variance test and outlier test, the observations left
// out, the warnings accepted, the comparison with the previous certificate and the statements,
// each page footed with the program's version and the SHA-256 of the survey's text.

#include <QString>
#include <optional>
#include <string>

#include "core/baseline/baseline_calibration.h"
#include "core/certificate/certificate_details.h"

namespace mensuro {

// What a baseline's certificate is drawn from besides its details.
struct BaselineCertificateSource {
  const BaselineCalibration& calibration;
  std::string baselineName;
  std::string measuredText;  // the survey as adjusted
};

// The PDF bytes of the certificate with the `details` given (a text left empty is left out;
// the client is the baseline's owner, the instrument the reference instrument) under its
// `identity`: a draft, "not registered", without a number, issued today without a date.
// Nothing, with the reason, when it can't be made (a logo that can't be read, say).
std::optional<std::string> DrawBaselineCertificatePdf(const BaselineCertificateSource& source,
                                                      const CertificateDetails& details,
                                                      const CertificateIdentity& identity,
                                                      QString& reason);

// Writes the certificate DrawBaselineCertificatePdf draws to `path`. Returns false with the
// reason; an existing file is then left as it was.
bool SaveBaselineCertificate(const QString& path, const BaselineCertificateSource& source,
                             const CertificateDetails& details, const CertificateIdentity& identity,
                             QString& reason);

}  // namespace mensuro
