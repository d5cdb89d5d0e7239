#pragma once

// The PDF calibration certificate: A4 pages with the instrument, the baseline and what its
// published distances are, how the observations were reduced when they came from a field file,
// the warnings the surveyor accepted, the results and verdicts, every station pair, the outlier
// test, the cyclic error when a unit length was given, the observations left out, the plot and the
// correction to apply, each page footed with the program's version and the SHA-256 of the two
// texts, so it can be traced to its data.

#include <QString>
#include <optional>
#include <string>

#include "core/certificate/certificate_details.h"
#include "core/data/sha256.h"
#include "core/processing/processed_calibration.h"

namespace mensuro {

// Writes the certificate of `calibration` to `path`, with the `details` given (a text left empty
// is left out) under its `identity`: "not registered" without a number, issued today without a
// date. Returns false with the reason in `reason` (a logo that can't be read, say); an existing
// file is then left as it was.
bool SaveCertificate(const QString& path, const ProcessedCalibration& calibration,
                     const CertificateDetails& details, const CertificateIdentity& identity,
                     QString& reason);

// The PDF bytes of the certificate SaveCertificate writes; nothing, with the reason, when it
// can't be made.
std::optional<std::string> DrawCertificatePdf(const ProcessedCalibration& calibration,
                                              const CertificateDetails& details,
                                              const CertificateIdentity& identity, QString& reason);

}  // namespace mensuro
