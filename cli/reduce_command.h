#pragma once

// `mensuro-cli reduce`: field observations (a spreadsheet's CSV of slope distances, heights and
// weather) reduced to the observation lines of a measured text, with the header lines given as
// options and, on request, a log of every step.

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

#include "core/reduction/atmospheric_correction.h"
#include "core/reduction/station_heights.h"

namespace mensuro::cli {

struct ReduceCommandLine {
  std::string fieldFile;
  std::optional<std::string> baselineName;  // the marks' heights from this library baseline
  std::string libraryFile;                  // empty: the library shipped with the program
  std::string heightsFile;                  // or from this heights file
  std::optional<double> wavelength;
  std::optional<double> referenceIndex;
  std::optional<ReferenceAtmosphere> referenceConditions;
  std::optional<double> horizontalAt;
  std::optional<PublishedDistanceKind> distances;  // nothing: the baseline's, else horizontal
  std::string outputFile;                          // empty: standard output
  std::string logFile;                             // empty: no log
  // The measured text's header lines, each written only when given.
  std::optional<std::string> date, time, comment, edm;
  std::optional<double> constant, ppm;
};

// Declares the subcommand "reduce" of `app` with its options, bound to `line`.
CLI::App* DescribeReduceCommand(CLI::App& app, ReduceCommandLine& line);

// Reduces the field file as `line` asks: exit 0 with the measured text written, or 2 with the
// error on standard error and nothing written.
int RunReduce(const ReduceCommandLine& line, const char* argv0);

}  // namespace mensuro::cli
