#include "cli/command_line.h"

namespace mensuro::cli {

void DescribeCommandLine(CLI::App& app, CommandLine& line) {
  app.description(
      "Checks an electronic distance meter against a calibration baseline: pairs and averages the "
      "measured distances, fits published minus observed against distance, tests the scale and "
      "constant errors, and prints the EDM Calibration Report.");
  app.add_option("MEASURED_FILE", line.measuredFile,
                 "Measured data: header lines ($date, !time, #comment, @EDM, ^constant mm, "
                 "%scale ppm) and From,To,distance lines");
  app.add_option("--published", line.publishedFile,
                 "Published distances: From,To,distance lines of the baseline")
      ->type_name("PUBLISHED_FILE");
  app.add_option("--output", line.outputFile, "Also write the report to this file (CR LF)")
      ->type_name("REPORT_FILE");
  app.add_option("--format", line.format,
                 "text: the report; json: the header, observations, pairs, results, verdicts and "
                 "report lines as one JSON document")
      ->check(CLI::IsMember({"text", "json"}))
      ->capture_default_str();
  app.footer(
      "Exit status: 0 report produced, 1 the calibration could not be processed (message on "
      "standard error), 2 wrong command line or a file that can't be read or written.");
}

std::string MissingArguments(const CommandLine& line) {
  if (line.measuredFile.empty()) {
    return "MEASURED_FILE is required";
  }
  if (line.publishedFile.empty()) {
    return "--published PUBLISHED_FILE is required";
  }
  return {};
}

}  // namespace mensuro::cli
