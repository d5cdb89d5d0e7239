#pragma once

// `mensuro-cli reduce`: field observations (a spreadsheet's CSV of slope distances, heights and
// weather) reduced to the observation lines of a measured text, with the header lines given as
// options and, on request, a log of every step.

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

#include "cli/field_reduction_options.h"

namespace mensuro::cli {

struct ReduceCommandLine {
  std::string fieldFile;
  std::optional<std::string> baselineName;  // the marks' heights from this library baseline
  std::string libraryFile;                  // empty: the library shipped with the program
  FieldReductionOptions reduction;          // the instrument, heights file and header lines
  std::string outputFile;                   // empty: standard output
  std::string logFile;                      // empty: no log
};

// Declares the subcommand "reduce" of `app` with its options, bound to `line`.
CLI::App* DescribeReduceCommand(CLI::App& app, ReduceCommandLine& line);

// Reduces the field file as `line` asks: exit 0 with the measured text written, or 2 with the
// error on standard error and nothing written.
int RunReduce(const ReduceCommandLine& line, const char* argv0);

}  // namespace mensuro::cli
