#pragma once

// What a certificate says beyond the calibration, from the command line: a details file
// (--details FILE.json, laid out as examples/certificate-details.json) and an option for each
// detail, which overrides the file's. The file, and a laboratory's settings file, are read by
// json/certificate_details_json.h.

#include <CLI/CLI.hpp>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/certificate/certificate_details.h"
#include "json/certificate_details_json.h"

namespace mensuro::cli {

struct CertificateDetailsOptions {
  std::string detailsFile;   // empty: no details file
  CertificateDetails given;  // the options' own details; an empty text was not given
};

// Declares --details and the option of each detail on `app`, in a group of their own, bound to
// `options`; returns them.
std::vector<CLI::Option*> AddCertificateDetailsOptions(CLI::App& app,
                                                       CertificateDetailsOptions& options);

// Whether the command line gives any certificate detail, in a file or an option.
bool CertificateDetailsGiven(const CertificateDetailsOptions& options);

// The certificate's details: the baseline's own certificate as the library states it
// (`libraryCertificate`, empty when it says nothing), overridden by the details file, overridden
// by the options. Nothing, with the problem, when the details file doesn't read.
std::optional<CertificateDetails> GatherCertificateDetails(const CertificateDetailsOptions& options,
                                                           const std::string& libraryCertificate,
                                                           std::string& problem);

}  // namespace mensuro::cli
