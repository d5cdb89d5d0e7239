#pragma once

// What a certificate says beyond the calibration, from the command line: a details file
// (--details FILE.json, laid out as examples/certificate-details.json) and an option for each
// detail, which overrides the file's. A laboratory's settings file has the same layout's
// "laboratory" member and its certificate numbers' prefix.

#include <CLI/CLI.hpp>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/certificate/certificate_details.h"

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

// The details of the JSON file `file`. A relative logo path is taken relative to the file's
// folder. Nothing, with the problem naming the file and the member, when the file can't be read,
// isn't JSON, has a member the layout lacks or a member of the wrong type.
std::optional<CertificateDetails> ReadDetailsFile(const std::filesystem::path& file,
                                                  std::string& problem);

// A laboratory's own settings: its details and the prefix of its certificate numbers.
struct LaboratorySettings {
  LaboratoryDetails laboratory;
  std::string certificatePrefix;  // empty: not given
};

// The laboratory settings file `file`: the members "laboratory" and "certificatePrefix", both
// optional, read as ReadDetailsFile reads a details file.
std::optional<LaboratorySettings> ReadLaboratorySettings(const std::filesystem::path& file,
                                                         std::string& problem);

// The certificate's details: the baseline's own certificate as the library states it
// (`libraryCertificate`, empty when it says nothing), overridden by the details file, overridden
// by the options. Nothing, with the problem, when the details file doesn't read.
std::optional<CertificateDetails> GatherCertificateDetails(const CertificateDetailsOptions& options,
                                                           const std::string& libraryCertificate,
                                                           std::string& problem);

}  // namespace mensuro::cli
