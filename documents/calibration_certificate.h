#pragma once

// The PDF calibration certificate: A4 pages with the instrument, the baseline and what its
// published distances are, how the observations were reduced when they came from a field file,
// the warnings the surveyor accepted, the results and verdicts, every station pair, the outlier
// test, the observations left out, the plot and the correction to apply, each page footed with
// the program's version and the SHA-256 of the two texts, so it can be traced to its data.

#include <QString>
#include <string>

#include "core/data/sha256.h"
#include "core/processing/processed_calibration.h"

namespace mensuro {

// Writes the certificate of `calibration` to `path`. Returns false with the reason in `reason`;
// an existing file is then left as it was.
bool SaveCertificate(const QString& path, const ProcessedCalibration& calibration, QString& reason);

}  // namespace mensuro
