#pragma once

// `mensuro-cli baseline --certificate FILE.pdf`: the baseline's certificate, a draft or, with
// --register, issued into the register as a record of its own kind, with the options and
// meanings of the instrument run's certificate.

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

#include "cli/certificate_details_options.h"
#include "cli/document_drawing.h"
#include "cli/register_issue.h"
#include "core/baseline/baseline_calibration.h"
#include "core/certificate/certificate_details.h"
#include "core/data/same_file.h"

namespace mensuro::cli {

struct BaselineCertificateOptions {
  std::string certificateFile;  // empty: no certificate
  std::string registerLocation;
  std::string headLogFile;
  std::string laboratorySettingsFile;
  bool acceptWarnings = false;
  CertificateDetailsOptions details;
};

// Declares the certificate's options on `command`, bound to `options`.
void AddBaselineCertificateOptions(CLI::App& command, BaselineCertificateOptions& options);

// What is wrong with the certificate's options by themselves, or the empty text.
std::string BaselineCertificateOptionsProblem(const BaselineCertificateOptions& options);

// What the certificate needs, read before the survey is adjusted or anything written.
struct BaselineCertificateOrder {
  DocumentModule documents;
  CertificateDetails details;
  std::optional<IssueOrder> issue;  // none: a draft
};

// The order `options` gives, the document module loaded; nothing without --certificate. Returns
// the exit code, having said why not.
int ReadBaselineCertificateOrder(const BaselineCertificateOptions& options, const char* argv0,
                                 std::optional<BaselineCertificateOrder>& order);

// The files the certificate writes and reads, for the check that no output is an input.
std::vector<NamedFile> BaselineCertificateOutputs(const BaselineCertificateOptions& options);
std::vector<NamedFile> BaselineCertificateInputs(const BaselineCertificateOptions& options);

// Whether the certificate asked for is withheld: the variance test fails or an observation is an
// outlier, and the surveyor has not accepted it.
bool BaselineCertificateWithheld(const BaselineCertificateOptions& options,
                                 const BaselineCalibration& calibration);

// Says what withholds the certificate and what to do. Returns the exit code (1).
int RefuseBaselineCertificate(const BaselineCalibration& calibration);

// The survey as the certificate names it: the baseline's name, the measured text as adjusted and
// the file it came from (a field file when reduced).
struct BaselineSurvey {
  std::string name;
  std::string measuredText;
  std::string measuredFile;
  bool reduced = false;
};

// Writes the certificate of `calibration`: a draft without a register; issued into it, `number`
// set, with one. Returns the exit code, having said why not.
int WriteBaselineCertificate(const BaselineCertificateOptions& options,
                             const BaselineCertificateOrder& order,
                             const BaselineCalibration& calibration, const BaselineSurvey& survey,
                             const std::vector<std::string>& pillarOrder, std::string& number);

}  // namespace mensuro::cli
