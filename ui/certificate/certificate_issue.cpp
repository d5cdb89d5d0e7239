#include "ui/certificate/certificate_issue.h"

#include <exception>

#include "core/data/file_bytes.h"
#include "register/calibration_issue.h"

namespace mensuro {

IssuedCertificate IssueCertificate(CalibrationRegister& reg,
                                   const ProcessedCalibration& calibration,
                                   const CertificateDetails& details,
                                   const std::string& programVersion,
                                   const CertificatePdfRenderer& pdfOf,
                                   const std::filesystem::path& file, const nlohmann::json& input) {
  // The PDF made inside the register's transaction is the one written: the same bytes the
  // register keeps, so a reissue gives the file the user has.
  std::string pdf;
  IssuedCertificate issued;
  try {
    issued.number = reg.Issue(IssueRequestOf(calibration, details, input, programVersion),
                              [&pdf, &pdfOf](const CertificateIdentity& identity) {
                                pdf = pdfOf(identity);
                                return pdf;
                              })
                        .identity.number;
  } catch (const std::exception& error) {
    issued.failure = std::string("The certificate was not issued: ") + error.what();
    return issued;
  }
  if (WriteFileBytes(file, pdf) != 0) {
    issued.failure = "The certificate " + issued.number +
                     " was issued, but its file could not be written; reissue it from the "
                     "register.";
  }
  return issued;
}

}  // namespace mensuro
