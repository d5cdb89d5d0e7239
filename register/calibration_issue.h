#pragma once

// Issuing a processed calibration's certificate, the same from the command line and the window:
// the record the register keeps of it, stored with the certificate's PDF in one transaction, and
// the PDF written to its file only after the record is committed.

#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "core/certificate/certificate_details.h"
#include "core/processing/identity_check.h"
#include "core/processing/processed_calibration.h"
#include "json/certificate_details_json.h"
#include "register/calibration_register.h"

namespace mensuro {

// What a certificate is issued with, besides its calibration.
struct IssueInputs {
  CertificateDetails details;
  std::string replaces;  // the number of the certificate this one corrects; empty: none
  std::string programVersion;
  // What reading the texts noticed (CalibrationInputJson), kept with the results.
  nlohmann::json input = nlohmann::json::object();
  std::string replaceReason;     // why it replaces `replaces`
  bool otherInstrument = false;  // `replaces` names another instrument, knowingly
};

// The record of issuing `calibration` as `inputs` say: the two texts as processed, the
// conditions, what was left out and why, the warnings and outliers that hold the certificate
// back (issuing with them means they were accepted), the whole result as the command line's JSON
// gives it with the members of `inputs.input`, constant and scale with their expanded
// uncertainties for the instrument's history, the date of measurement and the files the texts
// were read from (the calibration's origin).
IssueRequest IssueRequestOf(const ProcessedCalibration& calibration, const IssueInputs& inputs);

// The file name of a laboratory's settings, looked for beside an SQLite register: it seeds the
// settings of a register that holds none.
inline constexpr const char* kLaboratorySettingsName = "mensuro-laboratory.json";

// The laboratory's settings file beside the SQLite register at `location`; empty when there is
// none, or for a PostgreSQL register.
std::filesystem::path LaboratorySettingsBeside(const std::string& location);

// The settings a laboratory's settings file gives a register: its prefix (the default when it
// gives none) and its laboratory lines.
RegisterSettings SettingsOfFile(const LaboratorySettings& file);

// `details` with the register's laboratory lines under their own, as the register's
// certificates carry them; `details` as they are when the register holds no settings yet.
CertificateDetails WithRegisterLaboratory(CalibrationRegister& reg,
                                          const CertificateDetails& details);

// Draws the certificate's PDF with the identity the register gives it.
using CertificateRenderer = std::function<std::string(const CertificateIdentity&)>;

// How issuing went. A certificate may be issued and its file still not written; it can be
// written again from the register.
struct IssuedCertificate {
  std::string number;   // empty: nothing was issued
  std::string failure;  // why nothing was issued, or why the file was not; empty: both done
  // Nothing was issued because the register failed or refused (its database, its head log),
  // rather than because of the request or its PDF.
  bool registerFault = false;
  // What the certificate's identity lacks, when that is why nothing was issued.
  std::vector<IdentityPart> missing;
};

// Issues into `reg` the record `requestOf` makes, with the PDF `renderPdf` draws, and writes that
// PDF to `file`. Both are given `details` with the register's laboratory lines under their own;
// nothing is issued when `missingOf` finds parts of the identity lacking.
IssuedCertificate IssueRecordFile(
    CalibrationRegister& reg, const CertificateDetails& details,
    const std::function<std::vector<IdentityPart>(const CertificateDetails&)>& missingOf,
    const std::function<IssueRequest(const CertificateDetails&)>& requestOf,
    const CertificateRenderer& renderPdf, const std::filesystem::path& file);

// Issues the certificate of `calibration` into `reg`, its PDF drawn by `renderPdf` and stored with
// the record in one transaction, then writes that PDF to `file`. The register's laboratory lines
// stand under the details' own. Nothing is issued when the identity lacks a part (`missing`
// says which, all at once).
IssuedCertificate IssueCertificateFile(CalibrationRegister& reg,
                                       const ProcessedCalibration& calibration,
                                       const IssueInputs& inputs,
                                       const CertificateRenderer& renderPdf,
                                       const std::filesystem::path& file);

}  // namespace mensuro
