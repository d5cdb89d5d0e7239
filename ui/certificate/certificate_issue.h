#pragma once

// Issuing a certificate from the window: the calibration recorded in the register, and the PDF
// the register stored written to the file the user chose.

#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "core/certificate/certificate_details.h"
#include "core/processing/processed_calibration.h"
#include "register/calibration_register.h"

namespace mensuro {

// Renders the certificate's PDF with the identity the register gives it.
using CertificatePdfRenderer = std::function<std::string(const CertificateIdentity&)>;

// How issuing went: the number when the register issued one, and what failed, if anything. A
// certificate may be issued and its file still not written; it can be reissued from the register.
struct IssuedCertificate {
  std::string number;   // empty: nothing was issued
  std::string failure;  // empty: issued and written
};

// Issues `calibration` under `details` in `reg` (the PDF from `pdfOf`, stored with the record in
// one transaction), then writes that PDF to `file`. `input` holds what reading the texts noticed,
// for the stored results.
IssuedCertificate IssueCertificate(CalibrationRegister& reg,
                                   const ProcessedCalibration& calibration,
                                   const CertificateDetails& details,
                                   const std::string& programVersion,
                                   const CertificatePdfRenderer& pdfOf,
                                   const std::filesystem::path& file,
                                   const nlohmann::json& input = nlohmann::json::object());

}  // namespace mensuro
