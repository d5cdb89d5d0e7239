#pragma once

// The certificate's details as JSON, laid out as examples/certificate-details.json: the details
// file the command line reads, the details the register lists of a certificate, and a
// laboratory's settings file (the layout's "laboratory" member and its certificate numbers'
// prefix). The layout's members are known here alone.

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "core/certificate/certificate_details.h"

namespace mensuro {

// `details` in the layout, every member present: an address as one text of lines, a prism
// constant not given as null.
nlohmann::json CertificateDetailsJson(const CertificateDetails& details);

// The details of the JSON file `file`. An address may be one text or an array of lines; a
// relative logo path is taken relative to the file's folder. Nothing, with the problem naming the
// file and the member, when the file can't be read, isn't JSON, has a member the layout lacks or
// a member of the wrong type.
std::optional<CertificateDetails> ReadDetailsFile(const std::filesystem::path& file,
                                                  std::string& problem);

// A laboratory's own settings: its details and the prefix of its certificate numbers.
struct LaboratorySettings {
  LaboratoryDetails laboratory;
  std::string certificatePrefix;  // empty: not given
  std::string procedure;          // the calibration procedure its certificates name; empty: none
};

// The laboratory settings file `file`: the members "laboratory", "certificatePrefix" and
// "procedure", all optional, read as ReadDetailsFile reads a details file.
std::optional<LaboratorySettings> ReadLaboratorySettings(const std::filesystem::path& file,
                                                         std::string& problem);

}  // namespace mensuro
