#pragma once

// `mensuro-cli baseline`: the calibration of a baseline itself, from an all-combinations survey
// of its pillars with a calibrated reference instrument, into certified pillar distances as
// text or JSON and, on request, a group of the baseline library; compared with the baseline's
// previous certificate when one is named.

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

#include "cli/baseline_certificate_options.h"
#include "cli/exclusion_options.h"
#include "cli/field_reduction_options.h"
#include "core/analysis/calibration_uncertainty.h"
#include "core/baseline/baseline_adjustment.h"

namespace mensuro::cli {

struct BaselineCommandLine {
  std::string measuredFile;
  std::optional<std::vector<std::string>> pillars;  // in order along the line; none: inferred
  std::optional<ReferenceScale> referenceScale;
  // The previous certificate: a baseline of the library, or a published file with the
  // uncertainty of its distances.
  std::optional<std::string> previousName;
  std::string libraryFile;  // empty: the library shipped with the program
  std::string previousPublishedFile;
  std::optional<BaselineUncertainty> previousUncertainty;
  std::string format = "text";
  std::optional<std::string> name;  // the baseline's name; none: the previous one's or the file's
  std::string libraryEntryFile;     // empty: no library entry
  std::string outputFile;           // empty: no file beside standard output
  ExclusionOptions exclusions;
  // A measured file that is a field file is reduced first, as these options ask.
  FieldReductionOptions reduction;
  bool field = false;
  // The baseline's certificate, a draft or issued into the register.
  BaselineCertificateOptions certificate;
};

// Declares the subcommand "baseline" of `app` with its options, bound to `line`.
CLI::App* DescribeBaselineCommand(CLI::App& app, BaselineCommandLine& line);

// Calibrates the baseline as `line` asks: exit 0 with the results written (a failed variance
// test only warned of), 1 for a survey that can't be adjusted, 2 for a wrong command line or a
// file that can't be read or written; nothing is written unless the run succeeds.
int RunBaseline(const BaselineCommandLine& line, const char* argv0);

}  // namespace mensuro::cli
