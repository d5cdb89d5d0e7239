#include "cli/certificate_details_options.h"

#include <utility>

#include "cli/read_option.h"
#include "core/data/file_names.h"

namespace mensuro::cli {

std::vector<CLI::Option*> AddCertificateDetailsOptions(CLI::App& app,
                                                       CertificateDetailsOptions& options) {
  CertificateDetails& given = options.given;
  const auto text = [&app](const char* name, std::string& target, const char* typeName,
                           const char* description) {
    return app.add_option(name, target, description)->type_name(typeName);
  };
  std::vector<CLI::Option*> added = {
      text("--details", options.detailsFile, "FILE.json",
           "The certificate's details, laid out as examples/certificate-details.json; the "
           "options below override the file's"),
      text("--laboratory", given.laboratory.name, "NAME", "The laboratory issuing the certificate"),
      text("--laboratory-address", given.laboratory.address, "TEXT",
           "Its address; a line feed in the text starts a new line"),
      text("--accreditation", given.laboratory.accreditation, "TEXT",
           "Its accreditation: the body and the number"),
      text("--logo", given.laboratory.logoFile, "FILE", "Its logo, a PNG, SVG or JPEG file"),
      text("--client", given.client.name, "NAME", "The client the certificate is issued to"),
      text("--client-address", given.client.address, "TEXT",
           "The client's address; a line feed in the text starts a new line"),
      text("--instrument-make", given.instrument.make, "TEXT", "The instrument's make"),
      text("--instrument-model", given.instrument.model, "TEXT", "The instrument's model"),
      text("--instrument-serial", given.instrument.serialNumber, "TEXT",
           "The instrument's serial number"),
      text("--reflector-make", given.reflector.make, "TEXT", "The reflector's make"),
      text("--reflector-model", given.reflector.model, "TEXT", "The reflector's model"),
      AddReadOption(app, "--prism-constant", given.reflector.prismConstantMm, ReadPrismConstant,
                    "MM", "The prism constant set in the instrument, mm (e.g. -17.5)"),
      text("--measured-by", given.measuredBy, "NAME", "Who measured the baseline"),
      text("--checked-by", given.checkedBy, "NAME", "Who checked the calibration"),
      text("--baseline-certificate", given.baselineCertificate, "TEXT",
           "The baseline's own certificate: authority, number and date; it replaces the "
           "library's certificate line of the baseline"),
  };
  for (CLI::Option* option : added) {
    option->group("Certificate details (with --certificate)");
  }
  return added;
}

bool CertificateDetailsGiven(const CertificateDetailsOptions& options) {
  return !options.detailsFile.empty() || HasDetails(options.given);
}

std::optional<CertificateDetails> GatherCertificateDetails(const CertificateDetailsOptions& options,
                                                           const std::string& libraryCertificate,
                                                           std::string& problem) {
  CertificateDetails details;
  details.baselineCertificate = libraryCertificate;
  if (!options.detailsFile.empty()) {
    const std::optional<CertificateDetails> file =
        ReadDetailsFile(PathFromUtf8(options.detailsFile), problem);
    if (!file) {
      return std::nullopt;
    }
    details = OverrideDetails(std::move(details), *file);
  }
  return OverrideDetails(std::move(details), options.given);
}

}  // namespace mensuro::cli
