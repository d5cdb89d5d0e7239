#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "cli/certificate_details_options.h"
#include "cli/exclusion_options.h"
#include "cli/field_reduction_options.h"
#include "cli/run_equipment.h"
#include "core/analysis/calibration_uncertainty.h"

namespace mensuro::cli {

// Exit codes: a run that produced its report; a calibration that could not be processed; a
// wrong command line, a file that can't be read or written, or a baseline the library lacks;
// and a register that can't be opened or written, or that refuses to issue.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitProcessingFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitRegister = 3;

struct CommandLine {
  std::string measuredFile;
  std::string publishedFile;                // empty: the published text comes from the library
  std::optional<std::string> baselineName;  // the library baseline to process against
  std::string libraryFile;                  // empty: the library shipped with the program
  bool listBaselines = false;
  std::string outputFile;  // empty: no report file
  std::string format = "text";
  std::string certificateFile;  // empty: no PDF certificate
  std::string plotFile;         // empty: no plot; SVG, PNG or PDF by its extension
  // The inputs of the correction's uncertainty budget, read from their options as they are
  // parsed; a baseline uncertainty not given here may come from the library.
  UncertaintyInputs uncertainty;
  // The number of cyclic harmonics as --cyclic-harmonics gives it; `uncertainty.cyclic` takes
  // it with the unit length, and without one it is a usage error.
  std::optional<int> cyclicHarmonics;
  ExclusionOptions exclusions;  // observations left out of the fit
  // Issue the certificate although a warning says the input was probably misread, or the
  // outlier test finds an outlier.
  bool acceptWarnings = false;
  // A measured file that is a field file is reduced first, as these options ask.
  FieldReductionOptions reduction;
  bool field = false;  // read the measured file as a field file whatever its first line
  // What the certificate says beyond the calibration: only with --certificate.
  CertificateDetailsOptions details;
  // The register the certificate is issued into (an SQLite file or a postgresql:// URI), the
  // certificate the new one replaces and the laboratory's settings file; empty: none.
  std::string registerLocation;
  std::string headLogFile;  // a PostgreSQL register's head log; empty: MENSURO_HEAD_LOG
  std::string replaces;
  std::string laboratorySettingsFile;
  // Why the new certificate replaces the old one, and whether the old one named another
  // instrument (the correction is of the instrument itself).
  std::string replaceReason;
  bool otherInstrument = false;
  // The register's equipment the run used, from --register or MENSURO_REGISTER.
  EquipmentOptions equipment;
};

// Declares the options of `mensuro-cli` on `app`, bound to `line`. A malformed value of an
// uncertainty option fails the parse with a CLI::ValidationError naming the option and why.
void DescribeCommandLine(CLI::App& app, CommandLine& line);

// Makes the subcommands of `app` (reduce, baseline, register) refuse the options of the cyclic
// error given before them, which belong to a calibration run alone. Call it once the
// subcommands are described.
void RefuseRunOnlyOptions(CLI::App& app);

// The extension of `path` in lower case (".svg"), letter case aside as the desktop has it.
std::string LowerExtension(const std::string& path);

// What is missing from or wrong with a parsed command line, or the empty text when it is
// complete.
std::string CommandLineProblem(const CommandLine& line);

}  // namespace mensuro::cli
